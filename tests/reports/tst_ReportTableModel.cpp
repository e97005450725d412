#include "data/Recordset.h"
#include "reports/ReportCsv.h"
#include "reports/ReportDocument.h"
#include "reports/ReportTableModel.h"

#include <QBuffer>
#include <QLocale>
#include <QTest>

// The report grid's model: which lines the columns are measured on, for short reports
// and for a payroll month too long to measure line by line.
class tst_ReportTableModel : public QObject
{
    Q_OBJECT

private slots:
    void sampleRows_data();
    void sampleRows();
    void figuresAreGroupedOnScreenAndPaperOnly_data();
    void figuresAreGroupedOnScreenAndPaperOnly();
};

void tst_ReportTableModel::sampleRows_data()
{
    QTest::addColumn<int>("employees");
    QTest::addColumn<int>("most");
    QTest::newRow("empty report") << 0 << 500;
    QTest::newRow("short report, every line") << 6 << 500;
    QTest::newRow("just the sample's size") << 499 << 500;
    QTest::newRow("one line too many") << 500 << 500;
    QTest::newRow("payroll month") << 100000 << 500;
    QTest::newRow("tiny sample") << 100 << 3;
}

void tst_ReportTableModel::sampleRows()
{
    QFETCH(int, employees);
    QFETCH(int, most);
    QList<Recordset::Row> rows;
    for (int i = 0; i < employees; ++i)
        rows << QStringList{QString::number(1000 + i), QStringLiteral("Name %1").arg(i),
                            QStringLiteral("D1"),      QStringLiteral("2"),
                            QStringLiteral("3.50"),    QStringLiteral("0"),
                            QStringLiteral("0")};
    ReportRequest request;
    request.layout = ReportRequest::Layout::Payroll;
    ReportTableModel model;
    model.setTable(ReportTable(
        request,
        Recordset({"KEY1", "LABEL1", "LABEL2", "MEALS", "COST", "PRICEDNOW", "NOCOST"}, rows)));
    const int lines = employees + 1; // and the grand total
    QCOMPARE(model.rowCount(), lines);

    const QList<int> sample = model.sampleRows(most);
    QCOMPARE(sample.size(), qMin(lines, most));
    QCOMPARE(sample.first(), 0);
    // The grand total, bold and with the largest figures, is always measured.
    QCOMPARE(sample.last(), lines - 1);
    QVERIFY(model.index(sample.last(), 4).data(Qt::FontRole).value<QFont>().bold());
    for (int i = 1; i < sample.size(); ++i)
        QVERIFY2(sample.at(i) > sample.at(i - 1), "rows in order, none twice");
    // Spread over the whole report, not bunched at its top.
    if (lines > most)
        QVERIFY(sample.at(sample.size() / 2) > lines / 4);
}

void tst_ReportTableModel::figuresAreGroupedOnScreenAndPaperOnly_data()
{
    QTest::addColumn<QString>("meals");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<QString>("shownMeals");
    QTest::addColumn<QString>("shownCost");
    QTest::newRow("small") << "12"
                           << "42.00"
                           << "12"
                           << "42.00";
    QTest::newRow("thousands") << "1500"
                               << "5250.75"
                               << "1,500"
                               << "5,250.75";
    QTest::newRow("millions") << "1234567"
                              << "4320987.50"
                              << "1,234,567"
                              << "4,320,987.50";
}

void tst_ReportTableModel::figuresAreGroupedOnScreenAndPaperOnly()
{
    QFETCH(QString, meals);
    QFETCH(QString, cost);
    QFETCH(QString, shownMeals);
    QFETCH(QString, shownCost);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ReportRequest request;
    request.layout = ReportRequest::Layout::Payroll;
    const ReportTable table(
        request, Recordset({"KEY1", "LABEL1", "LABEL2", "MEALS", "COST", "PRICEDNOW", "NOCOST"},
                           {{"1001", "Cruz, Ana", "D1", meals, cost, "0", "0"}}));
    ReportTableModel model;
    model.setTable(table);
    // The detail line and the grand total, in the window.
    for (int row : {0, 1}) {
        QCOMPARE(model.index(row, 3).data().toString(), shownMeals);
        QCOMPARE(model.index(row, 4).data().toString(), shownCost);
    }
    // On paper the same.
    const QString html = ReportDocument(ReportHeader{}, table).html();
    QVERIFY(html.contains(shownCost));
    // The CSV file keeps plain figures a spreadsheet reads as numbers.
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    QVERIFY(ReportCsv::write(csv, table));
    QVERIFY(csv.data().contains(meals.toUtf8() + ',' + cost.toUtf8()));
}

QTEST_MAIN(tst_ReportTableModel)
#include "tst_ReportTableModel.moc"
