#include "context/WindowRegistry.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "settings/AppSettingsData.h"
#include "support/BulkTagUi.h"
#include "support/TestEnvironment.h"
#include "tagging/frmBulkMealTag.h"
#include "tagging/frmEmployeeMealTag.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUuid>

namespace {

// Dietary Service: D1, D2 (has Lunch already), D3 inactive; Nursing Service: N1.
void seedSite(TestEnvironment& env)
{
    env.addEmployee("D1", "Abad", "Ana", "", "DIE");
    env.addEmployee("D2", "Bato", "Ben", "", "DIE");
    env.addEmployee("D3", "Cruz", "Cid", "", "DIE");
    env.addEmployee("N1", "Diaz", "Dan", "", "NUR");
    env.sqlite("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = 'D3'");
    env.sqlite("UPDATE Payroll.tbcDepartment SET Description = 'Dietary Service' WHERE DeptCode "
               "= 'DIE'");
    env.sqlite("UPDATE Payroll.tbcDepartment SET Description = 'Nursing Service' WHERE DeptCode "
               "= 'NUR'");
    env.addMealType("LUN", "Lunch");
    env.addMealType("SNK", "Snacks");
    env.addMealType("OLD", "Old Ration", false);
    env.tag("D2", "LUN");
}

// The site's choice, saved as App Settings saves it.
void offerBulkTagging(TestEnvironment& env, bool on)
{
    AppSettingsData data(env.context());
    AppSettings settings = data.load();
    settings.bulkTagging = on;
    data.save(settings);
}

QString tags(TestEnvironment& env)
{
    QStringList out;
    const Recordset rows = env.query("SELECT EmpNum || '/' || MealTypeCode || ' by ' || "
                                     "TaggedBy FROM Station.tbTALOEmployeeMeal ORDER BY EmpNum, "
                                     "MealTypeCode");
    for (const QStringList& row : rows.rows())
        out << row.join(QString());
    return out.join(", ");
}

// Site events in order, each "what:argument:argument": "import:FILE:ROWS" (the staff
// import's call, with a batch key and the file's name, as the import window sends it),
// "tag:EMPLOYEE:TYPE" (one tag), "bulk:DEPARTMENT:TYPE" (a bulk tagging).
void happen(TestEnvironment& env, const QString& event)
{
    const QStringList part = event.split(':');
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (part[0] == QLatin1String("import"))
        env.store().execute(
            QStringLiteral("Station..Save_TALO_StaffImport '%1', 'ADMIN', '%2', '%3'")
                .arg(part.mid(2).join(':'), key, part[1]));
    else if (part[0] == QLatin1String("tag"))
        env.tag(part[1], part[2]);
    else
        env.store().open(
            QStringLiteral(
                R"(Station..Save_TALO_EmployeeMealBulk 'DEPARTMENT', '%1', '', '["%2"]', )"
                R"('1', 'ADMIN', '%3')")
                .arg(part[1], part[2], key));
}

QString audit(TestEnvironment& env)
{
    QStringList out;
    const Recordset rows =
        env.query("SELECT TableName, RecordKey, Action, UserID FROM Station.tbTALOAuditLog "
                  "WHERE TableName <> 'tbTALOSiteSetting' ORDER BY AuditID");
    for (const QStringList& row : rows.rows())
        out << row.join('|');
    return out.join(", ");
}

} // namespace

class tst_frmBulkMealTag : public QObject
{
    Q_OBJECT

private slots:
    void taggingWindowOffersItOnlyWhereTheSiteDoes_data();
    void taggingWindowOffersItOnlyWhereTheSiteDoes();
    void departmentFromTheTaggingWindowPreviewsThenTagsInOneCall();
    void everyActiveEmployee();
    void theLastImportsNewcomersAreOfferedUntilTagged_data();
    void theLastImportsNewcomersAreOfferedUntilTagged();
    void withoutTheTaggingRightNothingOpens();
    void procedureRefusesAndChangesNothing_data();
    void procedureRefusesAndChangesNothing();
};

void tst_frmBulkMealTag::taggingWindowOffersItOnlyWhereTheSiteDoes_data()
{
    QTest::addColumn<QList<bool>>("choices");
    QTest::addColumn<bool>("offered");
    QTest::newRow("never chosen") << QList<bool>() << false;
    QTest::newRow("turned on") << QList<bool>{true} << true;
    QTest::newRow("turned off again") << QList<bool>{true, false} << false;
}

void tst_frmBulkMealTag::taggingWindowOffersItOnlyWhereTheSiteDoes()
{
    QFETCH(QList<bool>, choices);
    QFETCH(bool, offered);
    TestEnvironment env;
    for (bool on : choices)
        offerBulkTagging(env, on);
    frmEmployeeMealTag& tagging = env.context().windows().get<frmEmployeeMealTag>();
    tagging.strMode = QStringLiteral("1");
    env.modal().then([&](QDialog& d) {
        QCOMPARE(!DialogUi(d).get<QPushButton>("cmdBulkTag")->isHidden(), offered);
        DialogUi(d).click("cmdClose");
    });
    tagging.showModal();
    QCOMPARE(env.modal().unexpected(), 0);
}

void tst_frmBulkMealTag::departmentFromTheTaggingWindowPreviewsThenTagsInOneCall()
{
    TestEnvironment env(QStringLiteral("SUPER01"), QStringLiteral("|1|2|3|4|0|0|0|0"));
    seedSite(env);
    offerBulkTagging(env, true);
    frmEmployeeMealTag& tagging = env.context().windows().get<frmEmployeeMealTag>();
    tagging.strMode = QStringLiteral("1");
    env.modal().then([](QDialog& d) { DialogUi(d).click("cmdBulkTag"); });
    env.modal().then([&](QDialog& d) {
        const BulkTagUi ui(d);
        QCOMPARE(d.objectName(), QStringLiteral("frmBulkMealTag"));
        // Only active meal types are offered; the import choice needs an import.
        QCOMPARE(ui.get<QListWidget>("lstMealTypes")->count(), 2);
        QVERIFY(!ui.get<QRadioButton>("optImported")->isEnabled());
        ui.click("cmdPreview");
        ui.chooseDepartment("Dietary Service");
        ui.checkTypes({"LUN", "SNK"});
        QVERIFY(!ui.get<QPushButton>("cmdTag")->isEnabled());
        QTest::keyClick(ui.get<QListWidget>("lstMealTypes"), Qt::Key_Return);
        // D3 is inactive: two employees, D2 has Lunch already.
        QCOMPARE(ui.counts(), QStringList({"Lunch|2|1|1", "Snacks|2|2|0"}));
        QCOMPARE(ui.summary(), QStringLiteral("Tag the 2 active Dietary Service employees with "
                                              "Lunch, Snacks: 3 tags to add, 1 already there."));
        // Nothing is written by the preview.
        QCOMPARE(tags(env), QStringLiteral("D2/LUN by TEST"));

        env.messages().answerNext(true);
        ui.click("cmdTag");
        QCOMPARE(ui.counts(), QStringList({"Lunch|2|1|1", "Snacks|2|2|0"}));
        QVERIFY(!ui.get<QPushButton>("cmdTag")->isEnabled());
        // Tagging again finds them all there.
        ui.click("cmdPreview");
        QCOMPARE(ui.counts(), QStringList({"Lunch|2|0|2", "Snacks|2|0|2"}));
        QVERIFY(!ui.get<QPushButton>("cmdTag")->isEnabled());
    });
    tagging.showModal();
    QCOMPARE(env.modal().unexpected(), 0);
    QCOMPARE(env.messages().texts(),
             QStringList({"Choose at least one meal type.",
                          "Tag the 2 active Dietary Service employees with Lunch, Snacks? 3 tags "
                          "will be added.",
                          "Done. 3 tags added, 1 were there already."}));
    QCOMPARE(tags(env),
             QStringLiteral("D1/LUN by SUPER01, D1/SNK by SUPER01, D2/LUN by TEST, D2/SNK by "
                            "SUPER01"));
    // One audit row per tag added, as a single tag save writes it.
    QCOMPARE(audit(env), QStringLiteral("tbTALOEmployeeMeal|D1/LUN|TAG|SUPER01, "
                                        "tbTALOEmployeeMeal|D1/SNK|TAG|SUPER01, "
                                        "tbTALOEmployeeMeal|D2/SNK|TAG|SUPER01"));
    // The tags go in one call, under a batch key of their own.
    const QRegularExpression call(
        R"(^Station\.\.Save_TALO_EmployeeMealBulk 'DEPARTMENT', 'DIE', '', '\["LUN","SNK"\]', )"
        R"('1', 'SUPER01', '[0-9a-f-]{36}'$)");
    QCOMPARE(env.statements().filter(call).size(), 1);
}

void tst_frmBulkMealTag::everyActiveEmployee()
{
    TestEnvironment env;
    seedSite(env);
    env.modal().then([&](QDialog& d) {
        const BulkTagUi ui(d);
        ui.get<QRadioButton>("optAllActive")->setChecked(true);
        ui.checkTypes({"SNK"});
        ui.click("cmdPreview");
        QCOMPARE(ui.counts(), QStringList({"Snacks|3|3|0"}));
        // A change of choice withdraws the counts until the next preview.
        ui.checkTypes({"LUN"});
        QVERIFY(!ui.get<QPushButton>("cmdTag")->isEnabled());
        QVERIFY(ui.counts().isEmpty());
        ui.click("cmdPreview");
        env.messages().answerNext(false);
        ui.click("cmdTag");
        QCOMPARE(tags(env), QStringLiteral("D2/LUN by TEST"));
        env.messages().answerNext(true);
        ui.click("cmdTag");
    });
    frmBulkMealTag::openChecked(env.context());
    QCOMPARE(env.modal().unexpected(), 0);
    QCOMPARE(tags(env), QStringLiteral("D1/LUN by CLERK01, D2/LUN by TEST, N1/LUN by CLERK01"));
    // A department code with trailing blanks is that department, as on SQL Server.
    const Recordset preview = env.store().open(
        R"(Station..Save_TALO_EmployeeMealBulk 'DEPARTMENT', 'DIE  ', '', '["SNK"]', '0', 'X')");
    QCOMPARE(preview.rows(), (QList<QStringList>{{"SNK", "Snacks", "2", "2", "0"}}));
    // An inactive employee of a list is left out: EMPLOYEES counts the active ones.
    const Recordset listed = env.store().open(
        R"(Station..Save_TALO_EmployeeMealBulk 'LIST', '', '["D1","D3"]', '["SNK"]', '0', 'X')");
    QCOMPARE(listed.rows(), (QList<QStringList>{{"SNK", "Snacks", "1", "1", "0"}}));
}

void tst_frmBulkMealTag::theLastImportsNewcomersAreOfferedUntilTagged_data()
{
    QTest::addColumn<QStringList>("events");
    // The procedure's rows as "EMPNUM|DEPTCODE|ACTIVE|FILENAME".
    QTest::addColumn<QStringList>("newcomers");
    // Three newcomers, one of them inactive.
    const QString march = R"(import:march.csv:[["E11","Go","Al","","DIE","","1"],)"
                          R"(["E12","Ho","Bo","","DIE","","0"],["E13","Io","Cy","","NUR","","1"]])";
    const QStringList marchRows{"E11|DIE|1|march.csv", "E12|DIE|0|march.csv",
                                "E13|NUR|1|march.csv"};
    QTest::newRow("no import yet") << QStringList() << QStringList();
    QTest::newRow("an import's newcomers") << QStringList{march} << marchRows;
    QTest::newRow("one of them tagged by hand")
        << QStringList{march, "tag:E11:SNK"} << marchRows.mid(1);
    QTest::newRow("a bulk tagging since is not an import")
        << QStringList{march, "bulk:NUR:LUN"} << marchRows.mid(0, 2);
    QTest::newRow("only an inactive one left")
        << QStringList{march, "tag:E11:LUN", "tag:E13:LUN"} << marchRows.mid(1, 1);
    QTest::newRow("a later import's newcomers take its place")
        << QStringList{march, R"(import:april.csv:[["E21","Lu","Fe","","NUR","","1"]])"}
        << QStringList{"E21|NUR|1|april.csv"};
    QTest::newRow("a later import that adds nobody leaves none")
        << QStringList{march, R"(import:april.csv:[["D1","Abad","Ana","X","DIE","","1"]])"}
        << QStringList();
}

void tst_frmBulkMealTag::theLastImportsNewcomersAreOfferedUntilTagged()
{
    QFETCH(QStringList, events);
    QFETCH(QStringList, newcomers);
    TestEnvironment env;
    seedSite(env);
    for (const QString& event : events)
        happen(env, event);
    QStringList rows;
    const Recordset read = env.store().open(QStringLiteral("Station..Load_TALO_ImportNewcomers"));
    for (int row = 0; row < read.recordCount(); ++row)
        rows << QStringList{read.value(row, 0), read.value(row, 1), read.value(row, 2),
                            read.value(row, 3)}
                    .join('|');
    QCOMPARE(rows, newcomers);

    // The window as opened after a restart: an offer only while an active one is left,
    // named by its file and the time of its last row; tagging it reads it again.
    const bool offered = newcomers.join(',').contains("|1|");
    const QString heading = QStringLiteral("Employees (the last import: %1, imported %2)")
                                .arg(newcomers.value(0).section('|', 3),
                                     GeneralDate::storedToText(env.scalar(
                                         "SELECT max(ChangedAt) FROM Station.tbTALOAuditLog a JOIN "
                                         "Station.tbTALOAuditBatch b USING (BatchKey) WHERE Kind = "
                                         "'IMPORT'")));
    env.modal().then([&](QDialog& d) {
        const BulkTagUi ui(d);
        QCOMPARE(ui.get<QRadioButton>("optImported")->isChecked(), offered);
        QCOMPARE(ui.get<QLabel>("lblEmployees")->text(),
                 offered ? heading : QStringLiteral("Employees"));
        if (!offered)
            return ui.click("cmdClose");
        ui.checkTypes({"LUN"});
        ui.click("cmdPreview");
        env.messages().answerNext(true);
        ui.click("cmdTag");
        QVERIFY(!ui.get<QRadioButton>("optImported")->isEnabled());
        QCOMPARE(ui.get<QLabel>("lblEmployees")->text(), QStringLiteral("Employees"));
        ui.click("cmdClose");
    });
    frmBulkMealTag::openChecked(env.context());
    QCOMPARE(env.modal().unexpected(), 0);
    QCOMPARE(env.messages().errors().size(), 0);
}

void tst_frmBulkMealTag::withoutTheTaggingRightNothingOpens()
{
    TestEnvironment env(QStringLiteral("CLERK01"), QStringLiteral("|0|0|0|4|0|6|0|8"));
    seedSite(env);
    frmBulkMealTag::openChecked(env.context());
    QCOMPARE(env.messages().texts(), QStringList{"No Access."});
    QVERIFY(env.modal().shown().isEmpty());
}

void tst_frmBulkMealTag::procedureRefusesAndChangesNothing_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown employee") << R"('LIST', '', '["D1","X9"]', '["LUN"]', '1')"
                                      << "Unknown employee X9.";
    QTest::newRow("inactive type") << R"('ALL', '', '', '["SNK","OLD"]', '1')"
                                   << "Meal type OLD is inactive.";
    QTest::newRow("unknown type") << R"('ALL', '', '', '["XX"]', '1')"
                                  << "Unknown meal type XX.";
    QTest::newRow("no type") << R"('ALL', '', '', '[]', '1')"
                             << "Choose at least one meal type.";
    QTest::newRow("types not JSON") << R"('ALL', '', '', 'LUN', '1')"
                                    << "The meal types must be a JSON array.";
    QTest::newRow("unknown department") << R"('DEPARTMENT', 'KIT', '', '["LUN"]', '1')"
                                        << "Unknown department KIT.";
    QTest::newRow("no department") << R"('DEPARTMENT', ' ', '', '["LUN"]', '1')"
                                   << "Department code is required.";
    QTest::newRow("employees not JSON") << R"('LIST', '', 'D1', '["LUN"]', '1')"
                                        << "The employees must be a JSON array.";
    QTest::newRow("a type not a text") << R"('ALL', '', '', '["LUN",true]', '1')"
                                       << "Each meal type must be a JSON text.";
    QTest::newRow("an employee not a text") << R"('LIST', '', '["D1",[2]]', '["LUN"]', '1')"
                                            << "Each employee must be a JSON text.";
    QTest::newRow("scope") << R"('SOME', '', '', '["LUN"]', '1')"
                           << "Unknown selection 'SOME'; use ALL, DEPARTMENT or LIST.";
    QTest::newRow("apply flag") << R"('ALL', '', '', '["LUN"]', 'Y')"
                                << "Apply must be 1 (tag) or 0 (preview), not 'Y'.";
}

void tst_frmBulkMealTag::procedureRefusesAndChangesNothing()
{
    QFETCH(QString, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    seedSite(env);
    try {
        env.store().open("Station..Save_TALO_EmployeeMealBulk " + arguments + ", 'ADMIN'");
        QFAIL("accepted");
    } catch (const DbError& error) {
        QCOMPARE(error.number(), 50000);
        QCOMPARE(error.message(), message);
    }
    QCOMPARE(tags(env), QStringLiteral("D2/LUN by TEST"));
    QCOMPARE(audit(env), QString());
}

QTEST_MAIN(tst_frmBulkMealTag)
#include "tst_frmBulkMealTag.moc"
