#include "context/WindowRegistry.h"
#include "data/DbError.h"
#include "settings/StaffImportData.h"
#include "settings/frmStaffImport.h"
#include "support/BulkTagUi.h"
#include "support/DialogUi.h"
#include "support/GridLines.h"
#include "support/TestEnvironment.h"
#include "tagging/frmBulkMealTag.h"
#include "widgets/FlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString header =
    QStringLiteral("EmpNum,Lastname,Firstname,Middlename,DeptCode,DeptName,Active\n");

struct Ui : DialogUi
{
    using DialogUi::DialogUi;
    // Types the file's path, reads it with Enter and asks for the preview.
    void previewFile(const QString& path) const
    {
        get<QLineEdit>("txtFile")->setText(path);
        QTest::keyClick(get<QLineEdit>("txtFile"), Qt::Key_Return);
        click("cmdPreview");
    }
    QString summary() const { return get<QLabel>("lblSummary")->text(); }
    // The preview's rows as "LINE|EMPNUM|CHANGE|DETAILS".
    QStringList preview() const { return gridLines(*get<FlexGrid>("mshPreview"), 1, 4); }
};

QString writeFile(TestEnvironment& env, const QString& name, const QByteArray& bytes)
{
    const QString path = env.folder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void runWindow(TestEnvironment& env, const std::function<void(const Ui&)>& step)
{
    env.modal().then([&](QDialog& d) { step(Ui(d)); });
    env.context().windows().get<frmStaffImport>().showModal();
    QCOMPARE(env.modal().unexpected(), 0);
}

// Everything the import may touch, as text, to show that nothing changed.
QString storeState(TestEnvironment& env)
{
    QStringList lines;
    for (const char* sql :
         {"SELECT EmpNum, Lastname, Firstname, Middlename, coalesce(DeptCode, ''), Active "
          "FROM Payroll.tbcmaster ORDER BY EmpNum",
          "SELECT DeptCode, Description FROM Payroll.tbcDepartment ORDER BY DeptCode",
          "SELECT TableName, RecordKey, Action, Details FROM Station.tbTALOAuditLog ORDER BY "
          "AuditID"}) {
        const Recordset rows = env.query(QString::fromLatin1(sql));
        for (const Recordset::Row& row : rows.rows())
            lines << row.join('|');
    }
    return lines.join('\n');
}

// Types the number into the deactivation check and presses Enter.
void typeDeactivationCount(QDialog& confirm, const QString& typed)
{
    QCOMPARE(confirm.objectName(), QStringLiteral("dlgConfirmDeactivation"));
    auto* count = DialogUi(confirm).get<QLineEdit>("txtDeactivateCount");
    QTest::keyClicks(count, typed);
    QTest::keyClick(count, Qt::Key_Return);
}

QString activeStaff(TestEnvironment& env)
{
    return env.scalar("SELECT group_concat(EmpNum, ',') FROM (SELECT EmpNum FROM "
                      "Payroll.tbcmaster WHERE Active = '1' ORDER BY EmpNum)");
}

void seedStaff(TestEnvironment& env)
{
    env.addEmployee("E001", "Cruz", "Ana", "", "NUR");
    env.addEmployee("E002", "Reyes", "Ben", "", "NUR");
    env.addEmployee("E003", "Santos", "Carl", "", QStringLiteral("KIT"));
}

} // namespace

class tst_frmStaffImport : public QObject
{
    Q_OBJECT

private slots:
    void unusableFileIsRefusedBeforeAnyRead_data();
    void unusableFileIsRefusedBeforeAnyRead();
    void everyKindOfBadLineIsRejectedAndNothingWritten();
    void importChangesDepartmentDeactivatesMissingAndReimportChangesNothing();
    void windows1252FileWithMappedColumns();
    void failureOrCancelHalfWayLeavesTheStoreUntouched();
    void deactivatingAsksAgainWithTheNumber_data();
    void deactivatingAsksAgainWithTheNumber();
    void anOpenQuoteCostsOnlyItsLine();
    void previewNamesNewcomersAndApplyCountsRejectedLines_data();
    void previewNamesNewcomersAndApplyCountsRejectedLines();
    void aLineTheReaderCannotPlaceNeverOffersDeactivation_data();
    void aLineTheReaderCannotPlaceNeverOffersDeactivation();
    void anotherFileClearsThePreviousPreview();
    void aLineBreakInAQuotedNameBecomesASpace();
    void newEmployeesAreOfferedForBulkTagging();
    void eachImportOffersItsOwnNewcomersUntilTagged();
    void procedureRefusesWhatThePreviewWouldReject_data();
    void procedureRefusesWhatThePreviewWouldReject();
};

void tst_frmStaffImport::unusableFileIsRefusedBeforeAnyRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("unmapNumber");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << false
                           << QStringLiteral("The file is empty: it has no header line.");
    QTest::newRow("header only") << header.toUtf8() << false
                                 << QStringLiteral("The file has no employee lines.");
    QTest::newRow("no number column")
        << (header + "E001,Cruz,Ana,,NUR,,1\n").toUtf8() << true
        << QStringLiteral("Choose the column that holds the employee number.");
}

void tst_frmStaffImport::unusableFileIsRefusedBeforeAnyRead()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, unmapNumber);
    QFETCH(QString, message);
    TestEnvironment env;
    seedStaff(env);
    const QString path = writeFile(env, "staff.csv", file);
    runWindow(env, [&](const Ui& ui) {
        // What the window reads when it opens (the last import's offer) is not the file's.
        env.clearStatements();
        ui.get<QLineEdit>("txtFile")->setText(path + ".missing");
        ui.click("cmdRead");
        ui.get<QLineEdit>("txtFile")->setText(path);
        ui.click("cmdRead");
        if (unmapNumber)
            ui.get<QComboBox>("cboColumn(0)")->setCurrentIndex(0);
        ui.click("cmdPreview");
        QVERIFY(!ui.get<QPushButton>("cmdApply")->isEnabled());
    });
    QStringList expected{QStringLiteral("Cannot read the file \"%1.missing\".").arg(path)};
    if (file.isEmpty())
        expected << message << QStringLiteral("Read a personnel file first.");
    else
        expected << message;
    QCOMPARE(env.messages().texts(), expected);
    QVERIFY(env.statements().isEmpty());
}

void tst_frmStaffImport::everyKindOfBadLineIsRejectedAndNothingWritten()
{
    TestEnvironment env;
    seedStaff(env);
    const QString before = storeState(env);
    const QString path = writeFile(env, "bad.csv",
                                   (header +
                                    "E100,Cruz,Ana,,NUR,Nursing,1\n"
                                    ",Nobody,Here,,NUR,,1\n"
                                    "e100,Cruz,Ana,,NUR,,1\n"
                                    "E101,Lim,Bo,,XRAY,,1\n"
                                    "E002,Reyes,Ben,,NUR,,maybe\n"
                                    "E103," +
                                    QString(101, 'x') +
                                    ",Di,,NUR,,1\n"
                                    "E104,Go,Ed,,NUR,,1,extra\n"
                                    "E106,Uy,Fe,,NUR,Nurses,1\n"
                                    "E105,\"Open,Gi,,NUR,,1\n"
                                    "E107,Ko,Hu,,NUR,,1\n")
                                       .toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        QCOMPARE(
            ui.preview().mid(0, 8),
            QStringList({"3||Rejected|No employee number.",
                         "4|e100|Rejected|Duplicate employee number e100 (first on line 2).",
                         "5|E101|Rejected|Unknown department XRAY and no department name given.",
                         "6|E002|Rejected|Bad active flag 'maybe' (use 1/0, Y/N, Yes/No, "
                         "True/False or A/I).",
                         "7|E103|Rejected|Last name is longer than 100 characters.",
                         "8|E104|Rejected|The line has 8 fields, the header 7.",
                         "9|E106|Rejected|Department NUR is named 'Nursing' on line 2, 'Nurses' "
                         "here.",
                         "10|E105|Rejected|The line cannot be read: a quoted field is not "
                         "closed."}));
        // The open quote costs its own line only: E107 on the next line is read.
        QCOMPARE(ui.preview().mid(8),
                 QStringList({"2|E100|New|Cruz, Ana  | Department: NUR Nursing",
                              "11|E107|New|Ko, Hu  | Department: NUR Nursing",
                              "|E001|Missing|Cruz, Ana ", "|E003|Missing|Santos, Carl "}));
        QVERIFY(ui.summary().contains("New: 2 "));
        QVERIFY(ui.summary().contains("Rejected lines: 8 "));
        // E002's line is rejected, but the file names E002: only E001 and E003 are missing.
        QVERIFY(ui.summary().contains("Missing from the file: 2 "));

        // Applying asks first; No writes nothing.
        env.messages().answerNext(false);
        ui.click("cmdApply");
        QCOMPARE(env.messages().texts(),
                 QStringList{"8 lines of the file were rejected and will be skipped. Apply the "
                             "other changes?"});
    });
    QCOMPARE(storeState(env), before);
    for (const QString& statement : env.statements())
        QVERIFY2(statement.startsWith("Select ") ||
                     statement.startsWith("Station..Load_TALO_ImportNewcomers"),
                 qPrintable(statement));
}

void tst_frmStaffImport::importChangesDepartmentDeactivatesMissingAndReimportChangesNothing()
{
    TestEnvironment env(QStringLiteral("HR01"));
    seedStaff(env);
    const QString path = writeFile(env, "staff.csv",
                                   (header + "E001,Cruz,Ana,,NUR,,1\n"
                                             "E002,Reyes,Ben,,KIT,,1\n"
                                             "E004,Lopez,Dina,M,LAB,Laboratory,Y\n")
                                       .toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        QCOMPARE(ui.summary(),
                 QStringLiteral("New: 1    Changed: 1    Deactivated: 0    Unchanged: 1    Missing "
                                "from the file: 1    Rejected lines: 0    New "
                                "departments: 1"));
        QCOMPARE(ui.preview(),
                 QStringList({"4|E004|New|Lopez, Dina M | Department: LAB Laboratory",
                              "3|E002|Changed|Reyes, Ben  | Department code: NUR -> KIT",
                              "|E003|Missing|Santos, Carl "}));
        auto* deactivate = ui.get<QCheckBox>("chkDeactivate");
        QVERIFY(deactivate->isEnabled());
        deactivate->setChecked(true);
        // One of three active employees is more than a quarter: the number is typed.
        env.modal().then([](QDialog& confirm) { typeDeactivationCount(confirm, "1"); });
        ui.click("cmdApply");
        QCOMPARE(env.messages().texts(), QStringList{"Done. 1 added, 1 changed, 1 deactivated."});

        // The preview now reads the store as it stands: the file matches it.
        QCOMPARE(ui.summary(),
                 QStringLiteral("New: 0    Changed: 0    Deactivated: 0    Unchanged: 3    Missing "
                                "from the file: 0    Rejected lines: 0    New "
                                "departments: 0"));
    });
    QCOMPARE(env.scalar("SELECT DeptCode FROM Payroll.tbcmaster WHERE EmpNum = 'E002'"),
             QStringLiteral("KIT"));
    // Deactivated, never deleted.
    QCOMPARE(env.scalar("SELECT Active FROM Payroll.tbcmaster WHERE EmpNum = 'E003'"),
             QStringLiteral("0"));
    QCOMPARE(env.scalar("SELECT Lastname || Middlename || DeptCode || Active FROM "
                        "Payroll.tbcmaster WHERE EmpNum = 'E004'"),
             QStringLiteral("LopezMLAB1"));
    QCOMPARE(env.scalar("SELECT Description FROM Payroll.tbcDepartment WHERE DeptCode = 'LAB'"),
             QStringLiteral("Laboratory"));
    QCOMPARE(
        env.query("SELECT TableName, RecordKey, Action, Details, UserID FROM "
                  "Station.tbTALOAuditLog ORDER BY AuditID")
            .rows(),
        (QList<QStringList>{
            {"tbcDepartment", "LAB", "INSERT", "Description=Laboratory", "HR01"},
            {"tbcmaster", "E004", "INSERT",
             "Lastname=Lopez; Firstname=Dina; Middlename=M; DeptCode=LAB; Active=1", "HR01"},
            {"tbcmaster", "E002", "UPDATE", "EmployeeName=Reyes, Ben; DeptCode: NUR -> KIT",
             "HR01"},
            {"tbcmaster", "E003", "UPDATE", "EmployeeName=Santos, Carl; Active: 1 -> 0", "HR01"}}));

    // The same file again: nothing to send, nothing changes.
    const QString after = storeState(env);
    env.messages().clear();
    env.clearStatements();
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        QVERIFY(!ui.get<QCheckBox>("chkDeactivate")->isEnabled());
        ui.click("cmdApply");
    });
    QCOMPARE(env.messages().texts(),
             QStringList{"Nothing to change: the personnel master already matches the file."});
    QCOMPARE(storeState(env), after);
    for (const QString& statement : env.statements())
        QVERIFY2(statement.startsWith("Select ") ||
                     statement.startsWith("Station..Load_TALO_ImportNewcomers"),
                 qPrintable(statement));
}

void tst_frmStaffImport::windows1252FileWithMappedColumns()
{
    TestEnvironment env;
    env.addEmployee("E001", "Cruz", "Ana", "", "NUR");
    const QString path = writeFile(env, "hr.csv",
                                   QByteArray("Staff No;Surname;Given Name;Unit;Status\r\n"
                                              "E001;Cruz;Ana;NUR;I\r\n"
                                              "E005;Pe\xF1"
                                              "a;Jos\xE9;NUR;A\r\n"));
    runWindow(env, [&](const Ui& ui) {
        ui.get<QLineEdit>("txtFile")->setText(path);
        ui.click("cmdRead");
        QCOMPARE(ui.get<QLabel>("lblFileInfo")->text(),
                 QStringLiteral("Read as Windows-1252, separated by \";\": 2 employee lines."));
        // Guessed from the header; "Unit" is mapped by hand.
        auto* unit = ui.get<QComboBox>("cboColumn(4)");
        QCOMPARE(unit->currentText(), QStringLiteral("(none)"));
        QCOMPARE(ui.get<QComboBox>("cboColumn(1)")->currentText(), QStringLiteral("Surname"));
        QCOMPARE(ui.get<QComboBox>("cboColumn(6)")->currentText(), QStringLiteral("Status"));
        unit->setCurrentIndex(unit->findText("Unit"));
        ui.click("cmdPreview");
        QCOMPARE(ui.preview(),
                 QStringList({QString::fromUtf8("3|E005|New|Peña, José  | Department: NUR"),
                              "2|E001|Deactivated|Cruz, Ana  | Active: 1 -> 0"}));
        ui.click("cmdApply");
    });
    QCOMPARE(env.scalar("SELECT Firstname || DeptCode || Active FROM Payroll.tbcmaster WHERE "
                        "Lastname = 'PEÑA'"),
             QString::fromUtf8("JoséNUR1"));
    QCOMPARE(env.scalar("SELECT Active FROM Payroll.tbcmaster WHERE EmpNum = 'E001'"),
             QStringLiteral("0"));
}

void tst_frmStaffImport::failureOrCancelHalfWayLeavesTheStoreUntouched()
{
    TestEnvironment env;
    seedStaff(env);
    const QString before = storeState(env);
    QList<StaffImportPlan::Row> rows;
    for (int i = 0; i < StaffImportData::sliceSize + 500; ++i) {
        StaffImportPlan::Row row;
        row.employee = {QStringLiteral("N%1").arg(i), "Last", "First", "", "NUR", "1"};
        rows.append(row);
    }
    StaffImportData data(env.context());

    // Cancelled after the first slice was written.
    int calls = 0;
    QVERIFY(!data.apply(rows, [&](int done, int total) {
        ++calls;
        return done < total / 2;
    }));
    QCOMPARE(calls, 1);
    QCOMPARE(storeState(env), before);

    // Refused in the second slice.
    rows[StaffImportData::sliceSize + 100].employee.active = "X";
    try {
        data.apply(rows, {});
        QFAIL("the bad row was accepted");
    } catch (const DbError& error) {
        QCOMPARE(error.number(), 50000);
        QCOMPARE(error.message(),
                 QStringLiteral("Active must be 1 (active) or 0 (inactive), not 'X'."));
    }
    QCOMPARE(storeState(env), before);

    // Good rows go in, all of them.
    rows[StaffImportData::sliceSize + 100].employee.active = "1";
    QVERIFY(data.apply(rows, {}));
    QCOMPARE(env.scalar("SELECT count(*) FROM Payroll.tbcmaster"),
             QString::number(rows.size() + 3));
}

void tst_frmStaffImport::deactivatingAsksAgainWithTheNumber_data()
{
    QTest::addColumn<int>("listed");    // E001.. in the file, of five active employees
    QTest::addColumn<int>("answer");    // to the question: 1 Yes, 0 No, -1 not asked
    QTest::addColumn<QString>("typed"); // into the number check; empty: not shown
    QTest::addColumn<QString>("activeAfter");
    const QString all = QStringLiteral("E001,E002,E003,E004,E005");
    QTest::newRow("one of five, No") << 4 << 0 << QString() << all;
    QTest::newRow("one of five, Yes") << 4 << 1 << QString() << "E001,E002,E003,E004";
    QTest::newRow("four of five, wrong number") << 1 << -1 << "40" << all;
    QTest::newRow("four of five, number typed") << 1 << -1 << "4"
                                                << "E001";
}

void tst_frmStaffImport::deactivatingAsksAgainWithTheNumber()
{
    QFETCH(int, listed);
    QFETCH(int, answer);
    QFETCH(QString, typed);
    QFETCH(QString, activeAfter);
    TestEnvironment env;
    QString file = header;
    for (int i = 1; i <= 5; ++i) {
        env.addEmployee(QStringLiteral("E00%1").arg(i), "Last", "First", "", "NUR");
        if (i <= listed)
            file += QStringLiteral("E00%1,Last,First,,NUR,,1\n").arg(i);
    }
    file += "E009,New,Person,,NUR,,1\n";
    const QString path = writeFile(env, "staff.csv", file.toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        ui.get<QCheckBox>("chkDeactivate")->setChecked(true);
        if (answer >= 0)
            env.messages().answerNext(answer == 1);
        if (!typed.isEmpty())
            env.modal().then([&](QDialog& confirm) {
                // The button waits for the right number.
                auto* deactivate = DialogUi(confirm).get<QPushButton>("cmdDeactivate");
                QVERIFY(!deactivate->isEnabled());
                typeDeactivationCount(confirm, typed);
                QCOMPARE(deactivate->isEnabled(), typed == "4");
            });
        ui.click("cmdApply");
    });
    const int missing = 5 - listed;
    QStringList expected;
    if (answer >= 0)
        expected << QStringLiteral("Deactivate %1 of the 5 active employees? They can no longer "
                                   "receive meals.")
                        .arg(missing);
    const bool confirmed = answer == 1 || typed == "4";
    if (confirmed)
        expected << QStringLiteral("Done. 1 added, 0 changed, %1 deactivated.").arg(missing);
    QCOMPARE(env.messages().texts(), expected);
    // Enter alone never deactivates: No is the default answer.
    if (answer >= 0)
        QVERIFY(env.messages().messages().first().noByDefault);
    QCOMPARE(env.modal().shown().size(), typed.isEmpty() ? 1 : 2);
    QCOMPARE(activeStaff(env), confirmed ? activeAfter + ",E009" : activeAfter);
}

void tst_frmStaffImport::previewNamesNewcomersAndApplyCountsRejectedLines_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QStringList>("preview");
    QTest::addColumn<QString>("applied");
    const QString known =
        "E001,Cruz,Ana,,NUR,,1\nE002,Reyes,Ben,,NUR,,1\nE003,Santos,Carl,,KIT,,1\n";
    QTest::newRow("an inactive newcomer")
        << known + "E009,Uy,Fe,,KIT,,0\n"
        << QStringList{"5|E009|New|Uy, Fe  | Department: KIT | Inactive: cannot receive meals"}
        << "Done. 1 added, 0 changed, 0 deactivated.";
    // Set inactive by the file: deactivated, as the changes log counts them, even when
    // more of the employee changes.
    QTest::newRow("two set inactive, one renamed")
        << "E001,Cruz,Ana,,NUR,,0\nE002,Reyes,Benito,,NUR,,0\nE003,Santos,Karl,,KIT,,1\n"
        << QStringList{"2|E001|Deactivated|Cruz, Ana  | Active: 1 -> 0",
                       "3|E002|Deactivated|Reyes, Benito  | First name: Ben -> Benito; Active: 1 "
                       "-> 0",
                       "4|E003|Changed|Santos, Karl  | First name: Carl -> Karl"}
        << "Done. 0 added, 1 changed, 2 deactivated.";
    QTest::newRow("one rejected line, nothing else")
        << known + "E009,Uy,Fe,,XRAY,,1\n"
        << QStringList{"5|E009|Rejected|Unknown department XRAY and no department name given."}
        << "Nothing was changed: 1 line of the file was rejected.";
    QTest::newRow("two rejected lines, nothing else")
        << known + "E009,Uy,Fe,,XRAY,,1\nE010,Go,Ed,,NUR,,maybe\n"
        << QStringList{"5|E009|Rejected|Unknown department XRAY and no department name given.",
                       "6|E010|Rejected|Bad active flag 'maybe' (use 1/0, Y/N, Yes/No, "
                       "True/False or A/I)."}
        << "Nothing was changed: 2 lines of the file were rejected.";
}

void tst_frmStaffImport::previewNamesNewcomersAndApplyCountsRejectedLines()
{
    QFETCH(QString, lines);
    QFETCH(QStringList, preview);
    QFETCH(QString, applied);
    TestEnvironment env;
    seedStaff(env);
    const QString path = writeFile(env, "staff.csv", (header + lines).toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        QCOMPARE(ui.preview(), preview);
        // A line longer than the column is shown whole: the column grows to it.
        auto* grid = ui.get<FlexGrid>("mshPreview");
        QVERIFY(grid->columnWidth(4) > grid->fontMetrics().horizontalAdvance(preview.last()) -
                                           grid->fontMetrics().horizontalAdvance("5|E009|New|"));
        ui.click("cmdApply");
        QVERIFY2(env.messages().texts().contains(applied),
                 qPrintable(env.messages().texts().join('\n')));
    });
    // The changes log's count of the import is the one the user was told.
    const QString logged =
        env.scalar("SELECT 'Done. ' || Added || ' added, ' || Changed || ' changed, ' || "
                   "Deactivated || ' deactivated.' FROM Station.tbTALOAuditBatch");
    QCOMPARE(logged, applied.startsWith("Done.") ? applied : QString());
}

void tst_frmStaffImport::anOpenQuoteCostsOnlyItsLine()
{
    TestEnvironment env;
    seedStaff(env);
    const QString path = writeFile(env, "staff.csv",
                                   (header + "E001,Cruz,Ana,,NUR,,1\n"
                                             "E002,\"Reyes,Ben,,NUR,,1\n"
                                             "E003,Santos,Carl,,KIT,,1\n"
                                             "E004,Lopez,Dina,,KIT,,1\n")
                                       .toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        QVERIFY(ui.get<QLabel>("lblFileInfo")->text().endsWith(": 4 employee lines."));
        QCOMPARE(ui.preview(),
                 QStringList({"3|E002|Rejected|The line cannot be read: a quoted field is not "
                              "closed.",
                              "5|E004|New|Lopez, Dina  | Department: KIT"}));
        QVERIFY(ui.summary().contains("Unchanged: 2 "));
        QVERIFY(ui.summary().contains("Missing from the file: 0 "));
    });
}

void tst_frmStaffImport::aLineTheReaderCannotPlaceNeverOffersDeactivation_data()
{
    QTest::addColumn<QString>("badLine");
    QTest::newRow("quote left open") << "E002,\"Reyes,Ben,,NUR,,1";
    QTest::newRow("quote inside a field") << "E002,Re\"yes,Ben,,NUR,,1";
    QTest::newRow("text after a quote") << "E002,\"Reyes\"x,Ben,,NUR,,1";
}

void tst_frmStaffImport::aLineTheReaderCannotPlaceNeverOffersDeactivation()
{
    QFETCH(QString, badLine);
    TestEnvironment env;
    seedStaff(env);
    // E003 is missing from the file, but the bad line might be hiding it.
    const QString path =
        writeFile(env, "staff.csv", (header + "E001,Cruz,Ana,,NUR,,1\n" + badLine + "\n").toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        QVERIFY(ui.summary().contains("Missing from the file: 1 "));
        auto* deactivate = ui.get<QCheckBox>("chkDeactivate");
        QVERIFY(!deactivate->isEnabled());
        QCOMPARE(deactivate->text(),
                 QStringLiteral("Deactivation is not offered: line 3 of the file cannot be read"));
        deactivate->setChecked(true);
        env.messages().answerNext(true);
        ui.click("cmdApply");
    });
    QCOMPARE(activeStaff(env), QStringLiteral("E001,E002,E003"));
}

void tst_frmStaffImport::anotherFileClearsThePreviousPreview()
{
    TestEnvironment env;
    seedStaff(env);
    const QString first = writeFile(env, "first.csv", (header + "E009,Uy,Fe,,NUR,,1\n").toUtf8());
    const QString second = writeFile(env, "second.csv", QByteArray());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(first);
        QCOMPARE(ui.preview().size(), 4);
        ui.get<QLineEdit>("txtFile")->setText(second);
        QTest::keyClick(ui.get<QLineEdit>("txtFile"), Qt::Key_Return);
        QVERIFY(ui.preview().isEmpty());
        QVERIFY(ui.summary().isEmpty());
        QVERIFY(ui.get<QLabel>("lblFileInfo")->text().isEmpty());
        QVERIFY(!ui.get<QPushButton>("cmdApply")->isEnabled());
    });
    QCOMPARE(env.messages().texts(), QStringList{"The file is empty: it has no header line."});
}

void tst_frmStaffImport::aLineBreakInAQuotedNameBecomesASpace()
{
    TestEnvironment env;
    const QString path =
        writeFile(env, "staff.csv",
                  (header + "E009,\"Dela \r\n Cruz\",\"Ana\nMaria\",,NUR,Nursing,1\n").toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.previewFile(path);
        QCOMPARE(ui.preview(),
                 QStringList{"2|E009|New|Dela Cruz, Ana Maria  | Department: NUR Nursing"});
        ui.click("cmdApply");
    });
    QCOMPARE(env.scalar("SELECT Lastname || '|' || Firstname FROM Payroll.tbcmaster"),
             QStringLiteral("Dela Cruz|Ana Maria"));
}

void tst_frmStaffImport::newEmployeesAreOfferedForBulkTagging()
{
    TestEnvironment env(QStringLiteral("ADMIN"));
    seedStaff(env);
    env.addMealType("LUN", "Lunch");
    env.addMealType("SNK", "Snacks");
    env.tag("E001", "LUN");
    const QString path = writeFile(env, "staff.csv",
                                   (header + "E001,Cruz,Ana,,NUR,,1\n"
                                             "E011,Go,Al,,DIE,Dietary Service,1\n"
                                             "E012,Ho,Bo,,DIE,,1\n"
                                             "E013,Io,Cy,,DIE,,1\n")
                                       .toUtf8());
    runWindow(env, [&](const Ui& ui) {
        ui.get<QCheckBox>("chkWholeList")->setChecked(false);
        ui.previewFile(path);
        QVERIFY(!ui.get<QPushButton>("cmdTagNew")->isVisibleTo(&ui.dialog));
        ui.click("cmdApply");
        QVERIFY(ui.get<QLabel>("lblTagNew")
                    ->text()
                    .startsWith(QStringLiteral(
                        "Tag the 3 new Dietary Service employees of staff.csv, imported ")));
        env.modal().then([&](QDialog& d) {
            const BulkTagUi bulk(d);
            QVERIFY(bulk.get<QRadioButton>("optImported")->isChecked());
            bulk.checkTypes({"LUN", "SNK"});
            bulk.click("cmdPreview");
            QCOMPARE(bulk.counts(), QStringList({"Lunch|3|3|0", "Snacks|3|3|0"}));
            QCOMPARE(bulk.summary(), QStringLiteral("Tag the 3 new Dietary Service employees "
                                                    "with Lunch, Snacks: 6 tags to add, 0 "
                                                    "already there."));
            env.messages().answerNext(true);
            bulk.click("cmdTag");
        });
        ui.click("cmdTagNew");
    });
    QCOMPARE(env.scalar("SELECT group_concat(EmpNum || '/' || MealTypeCode, ',') FROM (SELECT * "
                        "FROM Station.tbTALOEmployeeMeal ORDER BY EmpNum, MealTypeCode)"),
             QStringLiteral("E001/LUN,E011/LUN,E011/SNK,E012/LUN,E012/SNK,E013/LUN,E013/SNK"));
    QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog WHERE Action = 'TAG'"),
             QStringLiteral("6"));
}

void tst_frmStaffImport::eachImportOffersItsOwnNewcomersUntilTagged()
{
    TestEnvironment env(QStringLiteral("ADMIN"));
    seedStaff(env);
    env.addMealType("LUN", "Lunch");
    // Five new employees, two of whom the file marks inactive.
    const QString first = writeFile(env, "march.csv",
                                    (header + "E011,Go,Al,,DIE,Dietary Service,1\n"
                                              "E012,Ho,Bo,,DIE,,0\n"
                                              "E013,Io,Cy,,DIE,,1\n"
                                              "E014,Jo,Di,,DIE,,0\n"
                                              "E015,Ko,Ed,,DIE,,1\n")
                                        .toUtf8());
    const QString second = writeFile(
        env, "april.csv",
        (header + "E021,Lu,Fe,,NUR,,1\nE022,Mo,Gi,,NUR,,1\nE023,No,Hu,,KIT,,1\n").toUtf8());
    const QString third = writeFile(env, "may.csv", (header + "E031,Oz,Ivo,,NUR,,1\n").toUtf8());
    const auto offer = [](const Ui& ui) {
        const auto* label = ui.get<QLabel>("lblTagNew");
        return label->isVisibleTo(&ui.dialog) ? label->text() : QString();
    };
    const auto tagged = [&env] {
        return env.scalar("SELECT group_concat(EmpNum, ',') FROM (SELECT EmpNum FROM "
                          "Station.tbTALOEmployeeMeal ORDER BY EmpNum)");
    };
    // Bulk tagging as the Tagging menu opens it: the import's newcomers, Lunch, Tag.
    const auto tagImported = [&env](const std::function<void()>& open, const QString& origin,
                                    const QStringList& counts, const QString& summary,
                                    const QString& done) {
        env.modal().then([&](QDialog& d) {
            const BulkTagUi bulk(d);
            QVERIFY(bulk.get<QRadioButton>("optImported")->isChecked());
            QVERIFY2(bulk.get<QLabel>("lblEmployees")->text().contains(origin),
                     qPrintable(bulk.get<QLabel>("lblEmployees")->text()));
            bulk.checkTypes({"LUN"});
            bulk.click("cmdPreview");
            QCOMPARE(bulk.counts(), counts);
            QCOMPARE(bulk.summary(), summary);
            env.messages().answerNext(true);
            bulk.click("cmdTag");
            QCOMPARE(env.messages().infos().last(), done);
            bulk.click("cmdClose");
        });
        open();
    };

    runWindow(env, [&](const Ui& ui) {
        ui.get<QCheckBox>("chkWholeList")->setChecked(false);
        ui.previewFile(first);
        ui.click("cmdApply");
        QVERIFY(offer(ui).startsWith(QStringLiteral("Tag the 5 new Dietary Service employees of "
                                                    "march.csv, imported ")));
        ui.click("cmdClose");
    });
    // Closed and opened again, the window still offers that import.
    runWindow(env, [&](const Ui& ui) {
        QVERIFY(offer(ui).startsWith(
            QStringLiteral("Tag the 5 new Dietary Service employees of march.csv")));
    });
    tagImported([&env] { frmBulkMealTag::openChecked(env.context()); }, "march.csv",
                {"Lunch|3|3|0"},
                "Tag the 3 new Dietary Service employees with Lunch: 3 tags to add, 0 already "
                "there. 2 inactive employees are left out.",
                "Done. 3 tags added, 0 were there already. 2 inactive employees were left out.");
    QCOMPARE(tagged(), QStringLiteral("E011,E013,E015"));

    // Tagged, they are offered no more; the next import offers its own, and a file only
    // previewed since does not take its place.
    runWindow(env, [&](const Ui& ui) {
        QCOMPARE(offer(ui), QString());
        ui.get<QCheckBox>("chkWholeList")->setChecked(false);
        ui.previewFile(second);
        ui.click("cmdApply");
        QVERIFY(offer(ui).startsWith(QStringLiteral("Tag the 3 new employees of april.csv")));
        // Beside the preview of a file not applied, no offer; read again, until the
        // file is applied, it stays april.csv's.
        ui.previewFile(third);
        QCOMPARE(offer(ui), QString());
        ui.get<QLineEdit>("txtFile")->clear();
        QTest::keyClicks(ui.get<QLineEdit>("txtFile"), "x");
        QVERIFY(offer(ui).startsWith(QStringLiteral("Tag the 3 new employees of april.csv")));
        tagImported([&ui] { ui.click("cmdTagNew"); }, "april.csv", {"Lunch|3|3|0"},
                    "Tag the 3 new employees with Lunch: 3 tags to add, 0 already there.",
                    "Done. 3 tags added, 0 were there already.");
        QCOMPARE(offer(ui), QString());
    });
    QCOMPARE(tagged(), QStringLiteral("E011,E013,E015,E021,E022,E023"));
    QCOMPARE(env.messages().errors().size(), 0);
}

void tst_frmStaffImport::procedureRefusesWhatThePreviewWouldReject_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("message");
    QTest::newRow("not an array") << QString(R"({"a":1})")
                                  << QStringLiteral("The staff rows must be a JSON array.");
    QTest::newRow("no number") << QString(R"([[" ","L","F","","NUR","","1"]])")
                               << QStringLiteral("Employee number is required.");
    QTest::newRow("too long")
        << QString(R"([["E9","L","F","","NUR",")" + QString(201, 'd') + R"(","1"]])")
        << QStringLiteral("Employee E9: a value is longer than its column allows.");
    QTest::newRow("active flag") << QString(R"([["E9","L","F","","NUR","","yes"]])")
                                 << QStringLiteral(
                                        "Active must be 1 (active) or 0 (inactive), not 'yes'.");
    QTest::newRow("twice") << QString(
                                  R"([["E9","L","F","","","","1"],["e9","L","F","","","","1"]])")
                           << QStringLiteral("Employee number E9 appears twice.");
    QTest::newRow("two names")
        << QString(R"([["E8","L","F","","LAB","Lab","1"],["E9","L","F","","lab","X","1"]])")
        << QStringLiteral("Department LAB is given two names.");
    QTest::newRow("unknown department") << QString(R"([["E9","L","F","","XRAY","","1"]])")
                                        << QStringLiteral("Unknown department XRAY.");
}

void tst_frmStaffImport::procedureRefusesWhatThePreviewWouldReject()
{
    QFETCH(QString, rows);
    QFETCH(QString, message);
    TestEnvironment env;
    seedStaff(env);
    const QString before = storeState(env);
    try {
        env.store().execute("Station..Save_TALO_StaffImport '" + rows + "', 'HR01'");
        QFAIL("accepted");
    } catch (const DbError& error) {
        QCOMPARE(error.message(), message);
    }
    QCOMPARE(storeState(env), before);
}

QTEST_MAIN(tst_frmStaffImport)
#include "tst_frmStaffImport.moc"
