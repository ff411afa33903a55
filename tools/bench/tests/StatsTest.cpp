#include "Stats.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QTest>

namespace {
QVector<double> oneTo(int n)
{
    QVector<double> v;
    for (int i = n; i >= 1; --i) // unsorted on purpose
        v << i;
    return v;
}

Figure timed(double median, std::optional<double> floorMedian)
{
    Figure f;
    f.name = QStringLiteral("search_missing");
    f.title = QStringLiteral("Name search");
    f.unit = QStringLiteral("ms");
    f.value = summarize({median, median, median});
    f.target = 50;
    f.maxRatio = 2;
    if (floorMedian) {
        f.floorName = QStringLiteral("name_scan");
        f.floorTitle = QStringLiteral("scan");
        f.floor = summarize({*floorMedian});
    }
    return f;
}
} // namespace

class StatsTest : public QObject {
    Q_OBJECT
private slots:
    void medianAndNearestRankP95_data()
    {
        QTest::addColumn<QVector<double>>("samples");
        QTest::addColumn<double>("median");
        QTest::addColumn<double>("p95");
        QTest::newRow("one") << QVector<double>{7} << 7.0 << 7.0;
        QTest::newRow("odd count") << QVector<double>{5, 1, 3} << 3.0 << 5.0;
        QTest::newRow("even count: mean of the middle two") << QVector<double>{4, 1, 3, 2} << 2.5 << 4.0;
        QTest::newRow("ten: p95 is the largest") << oneTo(10) << 5.5 << 10.0;
        QTest::newRow("twenty: the 19th") << oneTo(20) << 10.5 << 19.0;
        QTest::newRow("hundred: the 95th") << oneTo(100) << 50.5 << 95.0;
        QTest::newRow("outliers move p95, not the median")
            << QVector<double>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 900} << 1.0 << 1.0;
    }
    void medianAndNearestRankP95()
    {
        QFETCH(QVector<double>, samples);
        QFETCH(double, median);
        QFETCH(double, p95);
        const Summary s = summarize(samples);
        QCOMPARE(s.count, samples.size());
        QCOMPARE(s.median, median);
        QCOMPARE(s.p95, p95);
    }

    void noSamplesNoFigure()
    {
        Figure f = timed(10, 5);
        f.value = summarize({});
        QVERIFY(!f.ok());
        QVERIFY(!f.met());
        QVERIFY(!f.ratio());
    }

    void aTargetWithARatioNeedsBoth()
    {
        QCOMPARE(*timed(10, 6).met(), true);             // 10 ms, 1.7x
        QCOMPARE(*timed(10, 4).met(), false);            // 2.5x the floor
        QCOMPARE(*timed(60, 40).met(), false);           // within the ratio, over 50 ms
        QCOMPARE(*timed(10, std::nullopt).met(), false); // a ratio target without a floor is not met
        QCOMPARE(*timed(10, 4).ratio(), 2.5);
    }

    void jsonCarriesEveryFigure()
    {
        Report r;
        r.buildType = QStringLiteral("Release");
        r.machine << qMakePair(QStringLiteral("Processor"), QStringLiteral("test"));
        Figure failed = timed(1, std::nullopt);
        failed.name = QStringLiteral("start_menu");
        failed.error = QStringLiteral("no main menu");
        Figure memory;
        memory.name = QStringLiteral("peak_memory");
        memory.unit = QStringLiteral("MB");
        memory.value = summarize({40, 42});
        r.figures << timed(10, 4) << failed << memory;
        const QJsonObject o = r.json();
        QCOMPARE(o.value(QStringLiteral("build")).toString(), QStringLiteral("Release"));
        QCOMPARE(o.value(QStringLiteral("machine")).toObject().value(QStringLiteral("Processor")).toString(),
                 QStringLiteral("test"));
        const QJsonArray figs = o.value(QStringLiteral("figures")).toArray();
        QCOMPARE(figs.size(), 3);
        const QJsonObject search = figs.at(0).toObject();
        QCOMPARE(search.value(QStringLiteral("median")).toDouble(), 10.0);
        QCOMPARE(search.value(QStringLiteral("p95")).toDouble(), 10.0);
        QCOMPARE(search.value(QStringLiteral("unit")).toString(), QStringLiteral("ms"));
        QCOMPARE(search.value(QStringLiteral("floor")).toObject().value(QStringLiteral("median")).toDouble(), 4.0);
        QCOMPARE(search.value(QStringLiteral("ratio")).toDouble(), 2.5);
        QCOMPARE(search.value(QStringLiteral("met")).toBool(), false);
        const QJsonObject broken = figs.at(1).toObject();
        QVERIFY(!broken.contains(QStringLiteral("median")));
        QCOMPARE(broken.value(QStringLiteral("error")).toString(), QStringLiteral("no main menu"));
        QVERIFY(broken.value(QStringLiteral("met")).isNull());
        const QJsonObject mem = figs.at(2).toObject();
        QCOMPARE(mem.value(QStringLiteral("median")).toDouble(), 41.0);
        QVERIFY(mem.value(QStringLiteral("floor")).isNull());
        QVERIFY(mem.value(QStringLiteral("target")).isNull());
    }

    void theTableSaysWhatMissedAndWhatFailed()
    {
        Report r;
        Figure failed = timed(1, std::nullopt);
        failed.title = QStringLiteral("Start to main menu shown");
        failed.error = QStringLiteral("no main menu");
        r.figures << timed(10, 6) << timed(10, 4) << failed;
        const QStringList lines = r.table().split(QLatin1Char('\n'));
        const QStringList rows = lines.filter(QStringLiteral("Name search"));
        QCOMPARE(rows.size(), 2);
        QVERIFY(rows.at(0).endsWith(QLatin1String("ok")));
        QVERIFY(rows.at(1).endsWith(QLatin1String("MISSED")));
        QVERIFY(rows.at(1).contains(QLatin1String("2.50x")));
        QCOMPARE(lines.filter(QStringLiteral("failed: no main menu")).size(), 1);
    }

    void figureTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("tiny") << 0.01234 << QStringLiteral("0.0123");
        QTest::newRow("below one") << 0.5678 << QStringLiteral("0.568");
        QTest::newRow("units") << 1.234 << QStringLiteral("1.23");
        QTest::newRow("tens") << 12.34 << QStringLiteral("12.3");
        QTest::newRow("hundreds") << 1234.5 << QStringLiteral("1235");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    }
    void figureTexts()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(figureText(value), text);
    }
};

TORVANE_TEST(StatsTest)
#include "StatsTest.moc"
