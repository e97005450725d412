#include "reports/PaintedBarChart.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>

// The chart the report draws itself where Qt Charts is not there (the Windows build):
// bars as tall as their counts on the axis, the bar colour where a bar stands.
class tst_PaintedBarChart : public QObject
{
    Q_OBJECT

private slots:
    void barsStandAsTallAsTheirCounts_data()
    {
        QTest::addColumn<QList<qint64>>("values");
        QTest::addColumn<qint64>("top");
        QTest::addColumn<bool>("upright");
        QTest::newRow("three groups") << QList<qint64>{3, 6, 0} << qint64(6) << false;
        QTest::newRow("one group, axis above it") << QList<qint64>{7} << qint64(10) << false;
        QTest::newRow("names upright") << QList<qint64>{1, 2, 4, 8} << qint64(8) << true;
    }

    void barsStandAsTallAsTheirCounts()
    {
        QFETCH(QList<qint64>, values);
        QFETCH(qint64, top);
        QFETCH(bool, upright);
        PaintedBarChart chart;
        chart.resize(600, 300);
        QStringList names;
        for (qsizetype i = 0; i < values.size(); ++i)
            names << QStringLiteral("Group %1").arg(i + 1);
        chart.setBars(QStringLiteral("Meals"), names, values, top, 1, upright);
        const QImage image = chart.grab().toImage();

        const QList<QRectF>& bars = chart.barRects();
        QCOMPARE(bars.size(), values.size());
        const qint64 highest = *std::max_element(values.begin(), values.end());
        const qsizetype tallest = values.indexOf(highest);
        const qreal full = bars[tallest].height() * double(top) / double(highest);
        const QColor barColour = chart.palette().color(QPalette::Highlight);
        for (qsizetype i = 0; i < values.size(); ++i) {
            QVERIFY2(qAbs(bars[i].height() - full * double(values[i]) / double(top)) < 1.0,
                     qPrintable(QStringLiteral("bar %1").arg(i)));
            QCOMPARE(bars[i].bottom(), bars[0].bottom());
            if (i > 0)
                QVERIFY(bars[i].left() > bars[i - 1].right());
            if (values[i] > 0)
                QCOMPARE(image.pixelColor(bars[i].center().toPoint()), barColour);
        }
    }
};

QTEST_MAIN(tst_PaintedBarChart)
#include "tst_PaintedBarChart.moc"
