#include "reports/ChartScale.h"
#include "reports/ReportChart.h"
#include "reports/ReportDocument.h"
#include "reports/frmMealDistributionReport.h"
#include "server/EmbeddedStore.h"
#include "settings/AppSettingsData.h"
#include "shell/mdiTALO.h"
#include "support/ReportMeals.h"
#include "support/TestEnvironment.h"

#include <QAction>
#ifndef TALODESK_PAINTED_CHART
#include <QBarCategoryAxis>
#include <QChart>
#endif
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolTip>
#include <atomic>
#include <sqlite3.h>

// The report window: its period presets, the two-level table with subtotals and a grand
// total, the header, a refused setting, and what reaches the CSV and PDF files.
class tst_frmMealDistributionReport : public QObject
{
    Q_OBJECT

private slots:
    void presets_data();
    void presets();
    void menuOpensReportsSideBySide();
    void subtotalsAddUpToTheGrandTotal();
    void refusedPeriodKeepsTheLastReport();
    void csvPdfAndXlsx();
    void payrollFileOffersToCloseItsMonth();
    void cancelStopsARunningReport();
    void everyPdfPageHasTheHeader();
    void grandTotalNeverStandsAlone_data();
    void chartNamesStayWholeAndLeaveTheTableRoom();
    void grandTotalNeverStandsAlone();
    void siteSettingsShapeTheReport();
    void mealTimesFollowTheSiteList();
    void chartTicksAreWholeNumbers_data();
    void chartTicksAreWholeNumbers();

private:
    static void choose(frmMealDistributionReport& report, const char* name, const QString& key);
    // Runs the report and waits for it to arrive.
    static void run(frmMealDistributionReport& report);
    // The text of one page of a PDF file, as pdftotext reads it (empty when it cannot).
    static QString pdfPage(const QString& path, int page);
};

void tst_frmMealDistributionReport::run(frmMealDistributionReport& report)
{
    report.cmdRun_Click();
    QVERIFY(report.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!report.isRunning(), 30000);
}

void tst_frmMealDistributionReport::choose(frmMealDistributionReport& report, const char* name,
                                           const QString& key)
{
    auto* box = report.findChild<QComboBox*>(QString::fromLatin1(name));
    const int at = box->findData(key);
    QVERIFY(at >= 0);
    box->setCurrentIndex(at);
}

void tst_frmMealDistributionReport::presets_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("firstDay");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    const int monday = Qt::Monday;
    QTest::newRow("daily") << int(ReportPeriod::Kind::Daily) << QDate(2028, 2, 29) << monday
                           << QDate(2028, 2, 29) << QDate(2028, 2, 29);
    QTest::newRow("week across a year end")
        << int(ReportPeriod::Kind::Weekly) << QDate(2026, 12, 30) << monday << QDate(2026, 12, 28)
        << QDate(2027, 1, 3);
    QTest::newRow("week from Sunday")
        << int(ReportPeriod::Kind::Weekly) << QDate(2026, 12, 8) << int(Qt::Sunday)
        << QDate(2026, 12, 6) << QDate(2026, 12, 12);
    QTest::newRow("Monday starts its week") << int(ReportPeriod::Kind::Weekly) << QDate(2026, 12, 7)
                                            << monday << QDate(2026, 12, 7) << QDate(2026, 12, 13);
    QTest::newRow("leap February") << int(ReportPeriod::Kind::Monthly) << QDate(2028, 2, 10)
                                   << monday << QDate(2028, 2, 1) << QDate(2028, 2, 29);
    QTest::newRow("range") << int(ReportPeriod::Kind::DateRange) << QDate(2026, 12, 8) << monday
                           << QDate(2026, 12, 8) << QDate(2026, 12, 8);
}

void tst_frmMealDistributionReport::presets()
{
    QFETCH(int, kind);
    QFETCH(QDate, day);
    QFETCH(int, firstDay);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    TestEnvironment env;
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind(kind), day,
                                     Qt::DayOfWeek(firstDay));
    auto* dtpFrom = report.findChild<QDateEdit*>("dtpFrom");
    auto* dtpTo = report.findChild<QDateEdit*>("dtpTo");
    QCOMPARE(dtpFrom->date(), from);
    QCOMPARE(dtpTo->date(), to);
    QCOMPARE(dtpTo->isEnabled(), kind == int(ReportPeriod::Kind::DateRange));
    // Daily shows the day chosen again, not the first day of the period shown before.
    auto* period = report.findChild<QComboBox*>("cboPeriod");
    period->setCurrentIndex(int(ReportPeriod::Kind::Daily));
    QCOMPARE(dtpFrom->date(), day);
    QCOMPARE(dtpTo->date(), day);
    period->setCurrentIndex(kind);
    QCOMPARE(dtpFrom->date(), from);
    QCOMPARE(dtpTo->date(), to);
    // A preset period follows another day chosen in "From".
    dtpFrom->setDate(from.addDays(40));
    if (kind == int(ReportPeriod::Kind::Monthly)) {
        QCOMPARE(dtpFrom->date(), QDate(2028, 3, 1));
        QCOMPARE(dtpTo->date(), QDate(2028, 3, 31));
    } else if (kind != int(ReportPeriod::Kind::DateRange)) {
        QCOMPARE(dtpFrom->date().daysTo(dtpTo->date()), from.daysTo(to));
    }
}

void tst_frmMealDistributionReport::menuOpensReportsSideBySide()
{
    TestEnvironment env;
    mdiTALO frame(env.context(), [&env] {
        return std::make_unique<TestUser>(&env.recorder(), QStringLiteral("CLERK01"),
                                          QStringLiteral("Test User"));
    });
    QVERIFY(frame.Form_Load());
    frame.show();
    auto* area = frame.findChild<QMdiArea*>(QStringLiteral("mdiArea"));
    const qsizetype before = area->subWindowList().size();
    for (const char* name : {"mnuDistributionMonthly", "mnuDistributionWeekly"}) {
        auto* item = frame.findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY(item && item->isEnabled());
        item->trigger();
    }
    QCOMPARE(area->subWindowList().size(), before + 2);
    auto* weekly = qobject_cast<frmMealDistributionReport*>(area->activeSubWindow()->widget());
    QVERIFY(weekly);
    QCOMPARE(weekly->windowTitle(), QStringLiteral("Meal Distribution Report - Weekly"));
    QCOMPARE(weekly->request().period.from().dayOfWeek(), int(Qt::Monday));
    for (const char* hidden :
         {"mnuDistributionMealType", "mnuDistributionMeal", "mnuDistributionMealTime"})
        QVERIFY(!frame.findChild<QAction*>(QString::fromLatin1(hidden))->isVisible());
}

void tst_frmMealDistributionReport::subtotalsAddUpToTheGrandTotal()
{
    TestEnvironment env;
    seedReportMeals(env);
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::DateRange,
                                     QDate(2028, 2, 28));
    report.findChild<QDateEdit*>("dtpTo")->setDate(QDate(2028, 3, 5));
    choose(report, "cboGroup1", "DEPARTMENT");
    choose(report, "cboGroup2", "MEALTIME");
    run(report);
    QCOMPARE(env.messages().texts(), QStringList());

    QStringList lines;
    for (const ReportTable::Line& line : report.table().lines())
        lines << line.cells.join('|');
    QCOMPARE(lines, (QStringList{
                        "D1|Breakfast|1|30.00|",
                        "D1|Lunch|1|40.00|",
                        "Subtotal D1||2|70.00|",
                        "D2|Breakfast|1|0.00|1 without a cost",
                        "D2|Lunch|1|45.50|1 at today's price",
                        "Subtotal D2||2|45.50|1 at today's price; 1 without a cost",
                        "Grand total||4|115.50|1 at today's price; 1 without a cost",
                    }));
    auto* grid = report.findChild<QTableView*>("grdReport");
    QVERIFY(grid);
    const QAbstractItemModel* model = grid->model();
    QCOMPARE(model->rowCount(), 7);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Department"));
    QVERIFY(model->index(6, 3).data(Qt::FontRole).value<QFont>().bold());
    // The grid shows the table's cells; detail lines plain, numbers right-aligned, and
    // nothing can be typed over.
    QCOMPARE(model->index(5, 4).data().toString(),
             QStringLiteral("1 at today's price; 1 without a cost"));
    QVERIFY(!model->index(0, 3).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(model->index(2, 0).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(Qt::Alignment(model->index(0, 2).data(Qt::TextAlignmentRole).toInt()) &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QCOMPARE(Qt::Alignment(model->index(0, 0).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignRight,
             Qt::Alignment());
    QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
    // Every column at least as wide as its text, the bold grand total included.
    for (int c = 0; c < model->columnCount(); ++c)
        QVERIFY(grid->columnWidth(c) >= grid->sizeHintForIndex(model->index(6, c)).width());
    QCOMPARE(report.findChild<QLabel*>("lblHospital")->text(), QStringLiteral("Hospital"));
    QCOMPARE(report.findChild<QLabel*>("lblTitle")->text(),
             QStringLiteral("Meal Distribution Report by Department and Meal Time"));
    QCOMPARE(report.findChild<QLabel*>("lblPeriod")->text(),
             QStringLiteral("2/28/2028 to 3/5/2028"));
    QVERIFY(report.findChild<QLabel*>("lblPrinted")->text().startsWith("Printed by Test User on "));
}

void tst_frmMealDistributionReport::refusedPeriodKeepsTheLastReport()
{
    TestEnvironment env;
    seedReportMeals(env);
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::DateRange,
                                     QDate(2028, 2, 29));
    run(report);
    QCOMPARE(report.table().meals(), 2);
    report.findChild<QDateEdit*>("dtpTo")->setDate(QDate(2028, 2, 1));
    run(report);
    QCOMPARE(env.messages().errors().size(), 1);
    QCOMPARE(env.messages().errors().first().text,
             QStringLiteral("The report period starts after it ends."));
    QCOMPARE(report.table().meals(), 2);
}

void tst_frmMealDistributionReport::csvPdfAndXlsx()
{
    TestEnvironment env;
    seedReportMeals(env);
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::DateRange,
                                     QDate(2028, 2, 1));
    report.findChild<QDateEdit*>("dtpTo")->setDate(QDate(2028, 3, 31));
    report.findChild<QComboBox*>("cboLayout")->setCurrentIndex(1); // Payroll
    QString path;
    report.chooseFile = [&](const QString&) { return path; };
    run(report);

    path = env.folder() + "/payroll.csv";
    report.cmdCsv_Click();
    QFile csv(path);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    // UTF-8 with its byte-order mark, so that a spreadsheet reads "Ünal" as written.
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes.mid(3)),
             QStringLiteral("Employee No.,Name,Department,Meals,Cost,Note\r\n"
                            "E1,\"Ünal, Ana\",D1,3,115.50,\r\n"
                            "E2,\"Smith, \"\"Jr.\"\", Bob\",D2,3,75.50,"
                            "1 at today's price; 1 without a cost\r\n"
                            "Grand total,,,6,191.00,1 at today's price; 1 without a cost\r\n"));

    QCOMPARE(env.messages().infos(), QStringList{"Saved the report to " + path + "."});
    // The dialog offers a name of the report's layout and period.
    QCOMPARE(report.suggestedFileName("csv"),
             QStringLiteral("meal-deductions-2028-02-01-to-2028-03-31.csv"));
    env.messages().clear();

    path = env.folder() + "/payroll.pdf";
    report.cmdPdf_Click();
    QCOMPARE(env.messages().infos(), QStringList{"Saved the report to " + path + "."});
    env.messages().clear();
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess process;
    process.start(pdftotext, {"-layout", path, "-"});
    QVERIFY(process.waitForFinished(30000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& expected :
         {QStringLiteral("Hospital"), QStringLiteral("Meal Deductions for Payroll"),
          QStringLiteral("2/1/2028 to 3/31/2028"), QStringLiteral("Grand total"),
          QStringLiteral("191.00"), QStringLiteral("Ünal, Ana"),
          QStringLiteral("Printed by Test User")})
        QVERIFY2(text.contains(expected), qPrintable(expected + " not in:\n" + text));

    // The workbook's grand total is a number cell (no shared-string type) in bold.
    path = env.folder() + "/payroll.xlsx";
    report.cmdXlsx_Click();
    QCOMPARE(env.messages().infos(), QStringList{"Saved the report to " + path + "."});
    QProcess unzip;
    unzip.start("python3", {"-c",
                            "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                            "print(z.read('xl/worksheets/sheet1.xml').decode()); "
                            "print(z.read('xl/sharedStrings.xml').decode())",
                            path});
    QVERIFY(unzip.waitForFinished(30000));
    const QString sheet = QString::fromUtf8(unzip.readAllStandardOutput());
    QVERIFY(sheet.contains(QStringLiteral("Ünal, Ana")));
    // Rows 1-4 the header, 6 the column headers, 7-8 the employees, 9 the grand total.
    QVERIFY2(sheet.contains(QRegularExpression("<c r=\"E9\" s=\"\\d+\"><v>191</v></c>")),
             qPrintable(sheet));
    QVERIFY(sheet.contains(QRegularExpression("<c r=\"D9\" s=\"\\d+\"><v>6</v></c>")));
}

void tst_frmMealDistributionReport::payrollFileOffersToCloseItsMonth()
{
    TestEnvironment env;
    seedReportMeals(env);
    // February is over by the server's clock; March, still going, is never offered.
    env.context().dtServerDate = QDateTime(QDate(2028, 3, 5), QTime(9, 0));
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::Monthly,
                                     QDate(2028, 2, 10));
    QString path = env.folder() + "/summary.csv";
    report.chooseFile = [&](const QString&) { return path; };
    // A summary is no payroll file: nothing is offered.
    run(report);
    report.cmdCsv_Click();
    QCOMPARE(env.messages().messages().size(), 1);

    const QString question = QStringLiteral("Close the meals through 2/29/2028? Then no meal on or "
                                            "before that day can be recorded or revoked.");
    report.findChild<QComboBox*>("cboLayout")->setCurrentIndex(1); // Payroll
    run(report);
    for (const bool yes : {false, true}) {
        env.messages().clear();
        env.messages().answerNext(yes);
        path = env.folder() + "/payroll.csv";
        report.cmdCsv_Click();
        QCOMPARE(
            env.messages().texts(),
            QStringList({"Saved the report to " + path + ".", question}) +
                (yes ? QStringList{"The meals through 2/29/2028 are closed."} : QStringList()));
        QCOMPARE(env.messages().messages().at(1).noByDefault, true);
        QCOMPARE(AppSettingsData(env.context()).load().closedThrough,
                 yes ? QDate(2028, 2, 29) : QDate());
    }
    // Closed already: saved again, nothing is asked; nor for the month still going.
    env.messages().clear();
    report.cmdCsv_Click();
    report.findChild<QDateEdit*>("dtpFrom")->setDate(QDate(2028, 3, 1));
    run(report);
    report.cmdCsv_Click();
    QCOMPARE(env.messages().messages().size(), 2);
}

namespace {

constexpr int SlowSteps = 100000;

// The store never takes long over a test's few meals, so the report's connection is
// slowed down: a pause every few steps of its statements, until `SlowSteps` pauses
// have been made. An interrupted statement stops at its next step.
int slowly(void* steps)
{
    if (++*static_cast<std::atomic<int>*>(steps) < SlowSteps)
        QThread::msleep(20);
    return 0;
}

} // namespace

void tst_frmMealDistributionReport::cancelStopsARunningReport()
{
    TestEnvironment env;
    seedReportMeals(env);
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::Monthly, QDate(2028, 3, 1));
    report.show();
    std::atomic<int> steps = 0;
    report.openReader = [&env, &steps]() -> std::unique_ptr<Connection> {
        auto reader = std::make_unique<EmbeddedConnection>(env.folder());
        sqlite3_progress_handler(reader->store().handle(), 5, slowly, &steps);
        return reader;
    };
    auto* cmdRun = report.findChild<QPushButton*>("cmdRun");
    auto* cmdCancel = report.findChild<QPushButton*>("cmdCancel");
    auto* status = report.findChild<QLabel*>("lblStatus");

    // The click returns at once: the report is read on its own thread while the window
    // goes on answering (the grouping follows the layout chosen meanwhile).
    QTest::mouseClick(cmdRun, Qt::LeftButton);
    QVERIFY(report.isRunning());
    QTRY_VERIFY(steps > 10);
    QVERIFY(report.isRunning());
    QVERIFY(report.findChild<QProgressBar*>("prgReport")->isVisible());
    QVERIFY(!cmdRun->isEnabled());
    QCOMPARE(status->text(), QStringLiteral("Running the report..."));
    report.findChild<QComboBox*>("cboLayout")->setCurrentIndex(1);
    QVERIFY(!report.findChild<QComboBox*>("cboGroup1")->isEnabled());
    report.findChild<QComboBox*>("cboLayout")->setCurrentIndex(0);

    // Cancel: the window is free again at once, and the statement really stops (it
    // would otherwise go on pausing for half an hour).
    QVERIFY(cmdCancel->isVisible() && cmdCancel->isEnabled());
    QTest::mouseClick(cmdCancel, Qt::LeftButton);
    QVERIFY(!report.isRunning());
    QVERIFY(cmdRun->isEnabled());
    QVERIFY(!cmdCancel->isVisible());
    QCOMPARE(status->text(), QStringLiteral("Report cancelled."));
    int before = -1;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const int now = steps;
            QTest::qWait(200);
            return std::exchange(before, now) == steps;
        }(),
        10000);
    QCOMPARE(env.messages().texts(), QStringList());
    QCOMPARE(report.table().lines().size(), 0);

    // The next run, on the same connection, is not slowed and shows its report.
    steps = SlowSteps;
    run(report);
    QCOMPARE(report.table().meals(), 3);
    QCOMPARE(status->text(), QString());
}

// A payroll of 150 employees fills several pages; each page carries the header and its
// number, read back page by page.
void tst_frmMealDistributionReport::everyPdfPageHasTheHeader()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    TestEnvironment env;
    env.addMealType("LU", "Lunch");
    env.addMeal("M1", "Soup", "LU", "45.50");
    env.sqlite("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150) "
               "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, DeptCode, "
               "Active) SELECT printf('E%03d', i), 'Ünal' || i, 'Ana', '', NULL, '1' FROM n");
    env.sqlite("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
               "MealDate, MealCost, ClerkID, RecordedAt) SELECT EmpNum, 'M1', 'Lunch', "
               "'2028-02-10 12:00:00', '45.50', 'C1', '' FROM Payroll.tbcmaster");
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::Monthly,
                                     QDate(2028, 2, 10));
    report.findChild<QComboBox*>("cboLayout")->setCurrentIndex(1); // Payroll
    const QString path = env.folder() + "/payroll.pdf";
    report.chooseFile = [&](const QString&) { return path; };
    run(report);
    report.cmdPdf_Click();
    QCOMPARE(env.messages().texts(), QStringList{"Saved the report to " + path + "."});

    const auto pageText = [&](int page) { return pdfPage(path, page); };
    const QRegularExpression count("Page 1 of (\\d+)");
    const auto found = count.match(pageText(1));
    QVERIFY2(found.hasMatch(), qPrintable(pageText(1)));
    const int pages = found.captured(1).toInt();
    QVERIFY2(pages >= 3, qPrintable(found.captured(0)));
    QStringList employees;
    for (int page = 1; page <= pages; ++page) {
        const QString text = pageText(page);
        for (const QString& expected :
             {QStringLiteral("Hospital"), QStringLiteral("Meal Deductions for Payroll"),
              QStringLiteral("2/1/2028 to 2/29/2028"), QStringLiteral("Printed by Test User on"),
              QStringLiteral("Employee No."), QStringLiteral("Page %1 of %2").arg(page).arg(pages)})
            QVERIFY2(
                text.contains(expected),
                qPrintable(QStringLiteral("page %1 lacks %2:\n%3").arg(page).arg(expected, text)));
        for (const auto& match : QRegularExpression("\\bE\\d{3}\\b").globalMatch(text))
            employees << match.captured(0);
    }
    // Every employee once, none lost or repeated at a page break; the total on the last page.
    QCOMPARE(employees.size(), 150);
    QCOMPARE(employees.first(), QStringLiteral("E001"));
    QCOMPARE(employees.last(), QStringLiteral("E150"));
    QVERIFY(pageText(pages).contains("6,825.00"));
}

QString tst_frmMealDistributionReport::pdfPage(const QString& path, int page)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable("pdftotext"),
                  {"-layout", "-f", QString::number(page), "-l", QString::number(page), path, "-"});
    process.waitForFinished(30000);
    return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// The payroll's grand total shares its page with the last employees, however many there
// are: one page's worth exactly, one fewer or more, two pages' worth. A page's worth is
// read from a long payroll first (the employees its first page holds).
void tst_frmMealDistributionReport::grandTotalNeverStandsAlone_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("beyond");
    QTest::newRow("one page short of one") << 1 << -1;
    QTest::newRow("one page exactly") << 1 << 0;
    QTest::newRow("one over a page") << 1 << 1;
    QTest::newRow("two pages exactly") << 2 << 0;
}

void tst_frmMealDistributionReport::grandTotalNeverStandsAlone()
{
    QFETCH(int, pages);
    QFETCH(int, beyond);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir folder;
    const QString path = folder.filePath("payroll.pdf");
    ReportRequest request;
    request.layout = ReportRequest::Layout::Payroll;
    const ReportHeader header{"Hospital", ReportTable::title(request.layout), "February 2028",
                              "CLERK01", QDateTime(QDate(2028, 3, 1), QTime(9, 0))};
    const QRegularExpression employee("\\bE\\d{3}\\b");
    const auto write = [&](int employees) {
        QList<Recordset::Row> rows;
        for (int i = 1; i <= employees; ++i)
            rows << Recordset::Row{
                QString::asprintf("E%03d", i), "Ünal, Ana", "Kitchen", "1", "45.50", "0", "0"};
        const Recordset payroll(
            {"KEY1", "LABEL1", "LABEL2", "MEALS", "COST", "PRICEDNOW", "NOCOST"}, rows);
        QVERIFY(ReportDocument(header, ReportTable(request, payroll)).writePdf(path));
    };
    // A prime number of employees: no page count holds them exactly, so the first page
    // is not shortened for the total.
    write(149);
    int perPage = 0;
    for (auto match = employee.globalMatch(pdfPage(path, 1)); match.hasNext(); match.next())
        ++perPage;
    QVERIFY(perPage > 10);

    write(pages * perPage + beyond);
    int last = 1;
    while (!pdfPage(path, last + 1).isEmpty())
        ++last;
    const QString lastPage = pdfPage(path, last);
    QVERIFY2(lastPage.contains("Grand total"), qPrintable(lastPage));
    QVERIFY2(employee.match(lastPage).hasMatch(), qPrintable(lastPage));
}

// Payroll names too long to stand side by side under 30 bars: the axis shows the
// employees' numbers, never cut, each bar's tooltip the whole name; at 1280x900 the table
// keeps most of the window.
void tst_frmMealDistributionReport::chartNamesStayWholeAndLeaveTheTableRoom()
{
    TestEnvironment env;
    env.addMealType("LU", "Lunch");
    env.addMeal("M1", "Soup", "LU", "45.50");
    env.sqlite("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30) "
               "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, DeptCode, "
               "Active) SELECT printf('E%03d', i), 'Garcia y Villanueva', 'Ana Rosario', "
               "'Reyes', NULL, '1' FROM n");
    env.sqlite("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
               "MealDate, MealCost, ClerkID, RecordedAt) SELECT EmpNum, 'M1', 'Lunch', "
               "'2028-02-10 12:00:00', '45.50', 'C1', '' FROM Payroll.tbcmaster");
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::Monthly,
                                     QDate(2028, 2, 10));
    report.resize(1280, 900);
    report.show();
    report.findChild<QComboBox*>("cboLayout")->setCurrentIndex(1); // Payroll
    run(report);
    auto* chart = report.findChild<ReportChart*>("chtReport");
    QVERIFY(chart->isVisible());
    QCOMPARE(chart->barTips().size(), 30);
    QCOMPARE(chart->barTips().first(),
             QStringLiteral("E001 Garcia y Villanueva, Ana Rosario Reyes: 1"));
    QVERIFY2(report.findChild<QTableView*>("grdReport")->height() > report.height() / 2,
             qPrintable(QString::number(chart->height())));
#ifndef TALODESK_PAINTED_CHART
    auto* axis = qobject_cast<QBarCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(axis && !axis->truncateLabels());
    QCOMPARE(axis->categories().first(), QStringLiteral("E001"));
    // The pointer resting on the third bar names its employee whole.
    const QPoint third = chart->mapFromScene(chart->chart()->mapToPosition(QPointF(2, 0.5)));
    QHelpEvent help(QEvent::ToolTip, third, chart->viewport()->mapToGlobal(third));
    QCoreApplication::sendEvent(chart->viewport(), &help);
    QCOMPARE(QToolTip::text(), QStringLiteral("E003 Garcia y Villanueva, Ana Rosario Reyes: 1"));
#endif
}

// The site's first day of the week presets the weekly report opened from the menu, and
// its site name heads the report (the hospital's name when it has none).
void tst_frmMealDistributionReport::siteSettingsShapeTheReport()
{
    TestEnvironment env;
    seedReportMeals(env);
    AppSettings settings = AppSettings::defaults();
    settings.firstDayOfWeek = Qt::Sunday;
    settings.siteName = QStringLiteral("Cocina Ñandú");
    AppSettingsData(env.context()).save(settings);
    mdiTALO frame(env.context(), [&env] {
        return std::make_unique<TestUser>(&env.recorder(), QStringLiteral("CLERK01"),
                                          QStringLiteral("Test User"));
    });
    QVERIFY(frame.Form_Load());
    frame.findChild<QAction*>("mnuDistributionWeekly")->trigger();
    auto* area = frame.findChild<QMdiArea*>(QStringLiteral("mdiArea"));
    auto* weekly = qobject_cast<frmMealDistributionReport*>(area->activeSubWindow()->widget());
    QVERIFY(weekly);
    // 8 December 2026 is a Tuesday: its week began on Sunday the 6th.
    QCOMPARE(weekly->request().period.from(), QDate(2026, 12, 6));
    QCOMPARE(weekly->request().period.to(), QDate(2026, 12, 12));
    run(*weekly);
    auto* hospital = weekly->findChild<QLabel*>("lblHospital");
    QCOMPARE(hospital->text(), QStringLiteral("Cocina Ñandú"));

    settings.siteName.clear();
    AppSettingsData(env.context()).save(settings);
    run(*weekly);
    QCOMPARE(hospital->text(), QStringLiteral("Hospital"));
    QCOMPARE(env.messages().texts(), QStringList());
}

void tst_frmMealDistributionReport::mealTimesFollowTheSiteList()
{
    TestEnvironment env;
    seedReportMeals(env);
    // "AM Snack" sorts first alphabetically but comes after Lunch in the site's list; a
    // mode the site does not list comes last.
    env.sqlite("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
               "MealDate, MealCost, ClerkID, RecordedAt) VALUES "
               "('E1', 'M3', 'AM Snack', '2028-03-02 10:00:00', '', 'C1', ''),"
               "('E1', 'M3', 'AAA Own', '2028-03-02 10:30:00', '', 'C1', '')");
    frmMealDistributionReport report(env.context(), ReportPeriod::Kind::Monthly, QDate(2028, 3, 1));
    choose(report, "cboGroup1", "MEALTIME");
    run(report);
    QStringList order;
    for (const ReportTable::Line& line : report.table().lines())
        order << line.cells.value(0);
    QCOMPARE(order, QStringList({"Breakfast", "Lunch", "AM Snack", "AAA Own", "Grand total"}));
    // The chart's bars, in the same order.
    QStringList bars;
    for (const ReportTable::Group& group : report.table().groupMeals())
        bars << group.name + ' ' + QString::number(group.meals);
    QCOMPARE(bars, QStringList({"Breakfast 2", "Lunch 1", "AM Snack 1", "AAA Own 1"}));
}

void tst_frmMealDistributionReport::chartTicksAreWholeNumbers_data()
{
    QTest::addColumn<int>("highest");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("top");
    for (const auto& [highest, step, top] :
         QList<std::tuple<int, int, int>>{{0, 1, 1},
                                          {1, 1, 1},
                                          {5, 1, 5},
                                          {6, 1, 6},
                                          {7, 2, 8},
                                          {12, 2, 12},
                                          {13, 5, 15},
                                          {30, 5, 30},
                                          {31, 10, 40},
                                          {61, 20, 80},
                                          {250, 50, 250},
                                          {1000001, 200000, 1200000}})
        QTest::newRow(qPrintable(QString::number(highest))) << highest << step << top;
}

void tst_frmMealDistributionReport::chartTicksAreWholeNumbers()
{
    QFETCH(int, highest);
    QFETCH(int, step);
    QFETCH(int, top);
    const ChartScale scale(highest);
    QCOMPARE(scale.step(), qint64(step));
    QCOMPARE(scale.top(), qint64(top));
}

QTEST_MAIN(tst_frmMealDistributionReport)
#include "tst_frmMealDistributionReport.moc"
