#include "Bench.h"
#include "PgServer.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
// One year of pages, a fiftieth of the repetitions, in dir (and on the server named in db when
// given); every measure must come back with a figure, in report order.
Report smallRun(const QTemporaryDir &dir, const QString &db = QString())
{
    BenchOptions o;
    o.dir = QDir(dir.path()).filePath(QStringLiteral("work"));
    o.db = db;
    o.years = 1;
    o.reps = 0.02;
    o.programDir = QStringLiteral(TORVANE_BUILD_DIR);
    const Report r = Bench(o).run();
    QStringList names;
    for (const Figure &f : r.figures) {
        if (!f.ok())
            QTest::qFail(qPrintable(f.name + QStringLiteral(": ") + f.error), __FILE__, __LINE__);
        names << f.name;
    }
    // The contended booking once for each count of stations.
    QStringList expected = Bench::measureNames();
    const qsizetype contended = expected.indexOf(QStringLiteral("booking_contended"));
    expected.replace(contended, QStringLiteral("booking_contended_8"));
    expected.insert(contended, QStringLiteral("booking_contended_4"));
    expected.insert(contended, QStringLiteral("booking_contended_1"));
    if (names != expected)
        QTest::qFail(qPrintable(QStringLiteral("measures: ") + names.join(QLatin1Char(','))), __FILE__, __LINE__);
    return r;
}
} // namespace

// A whole benchmark run, small: every measure must come back with a figure, or the table would
// hide a broken routine behind a missing line.
class BenchRunTest : public QObject {
    Q_OBJECT
private slots:
    void everyMeasureGivesAFigureOnASmallWorkshop()
    {
        QTemporaryDir dir;
        const Report r = smallRun(dir);
        for (const Figure &f : r.figures) {
            QVERIFY(f.value.median > 0);
            // Opening a stored page, searching and finding a slot only read; the others store what they did.
            if (f.name == QLatin1String("open_stored_page") || f.name.startsWith(QLatin1String("search"))
                || f.name == QLatin1String("find_slot") || f.name == QLatin1String("customer_lookup"))
                QCOMPARE(*f.writes, 0.0);
            else if (f.writes)
                QVERIFY(*f.writes > 0);
            if (f.target && f.floor)
                QVERIFY(f.ratio());
            // Stations that only wait for each other all book.
            if (f.name.startsWith(QLatin1String("booking_contended")))
                QCOMPARE(f.failures, std::optional<int>(0));
        }
    }

    void aFolderItDidNotMakeIsLeftAlone()
    {
        QTemporaryDir dir;
        QFile keep(QDir(dir.path()).filePath(QStringLiteral("keep.txt")));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        BenchOptions o;
        o.dir = dir.path();
        o.programDir = QStringLiteral(TORVANE_BUILD_DIR);
        QVERIFY_THROWS_EXCEPTION(AppError, Bench(o).run());
        QVERIFY(keep.exists());
    }
};

TORVANE_TEST(BenchRunTest)

// The same small run with the workshop on a PostgreSQL server: every measure of the program's
// work still gives a figure; the SQLite floor and the commit count are left out there.
class BenchOnServerTest : public QObject {
    Q_OBJECT
private slots:
    void everyMeasureGivesAFigureOnAServer()
    {
        QTemporaryDir dir;
        const QString server = QDir(dir.path()).filePath(QStringLiteral("server"));
        QDir().mkpath(server);
        PgServer::instance()->newDatabase(server);
        for (const Figure &f : smallRun(dir, server).figures)
            QVERIFY(f.value.median > 0 && !f.floor && !f.maxRatio && !f.writes);
        QVERIFY(!QFileInfo::exists(QDir(server).filePath(QStringLiteral("db.mdb"))));
    }
};
static testreg::Add s_benchServer("BenchOnServerTest", []() -> QObject * {
    if (!PgServer::instance()) {
        qWarning("BenchOnServerTest left out: %s", qPrintable(PgServer::missing()));
        return nullptr;
    }
    return new BenchOnServerTest;
});
#include "BenchRunTest.moc"
