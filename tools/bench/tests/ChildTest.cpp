#include "Child.h"
#include "TestRegistry.h"

#include "TestDb.h"
#include "Workshop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ChildTest : public QObject {
    Q_OBJECT
private slots:
    void linesComeStampedInOrder()
    {
        const ChildRun run = runChild(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("echo one; sleep 0.2; echo \"two $WORD\"; echo oops >&2; exit 3")},
            {QStringLiteral("WORD=three")}, 10000);
        QVERIFY(run.failure.isEmpty());
        QCOMPARE(run.lines.size(), 2);
        QCOMPARE(run.lines.at(0).text, QByteArray("one"));
        QCOMPARE(run.line("two")->text, QByteArray("two three"));
        QVERIFY(run.at("two") - run.at("one") >= 150);
        QCOMPARE(run.at("four"), -1.0);
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(run.errors.trimmed(), QByteArray("oops"));
        QVERIFY(!run.timedOut);
    }

    void aHangingChildIsKilled()
    {
        const ChildRun run =
            runChild(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 20")}, {}, 300);
        QVERIFY(run.timedOut);
        QCOMPARE(run.exitCode, -1);
    }

    void aMissingProgramIsReported()
    {
        const ChildRun run = runChild(QStringLiteral("/nonexistent/torvane"), {}, {}, 1000);
        QVERIFY(!run.failure.isEmpty());
        QVERIFY(run.lines.isEmpty());
    }

    // The program reports its start steps and ends itself when the probe is asked for; the
    // benchmark's start-up and memory figures rest on this.
    void theProgramReportsItsStartUnderTheProbe()
    {
        QTemporaryDir dir;
        const QString program = QDir(dir.path()).filePath(QStringLiteral("station"));
        const QString server = QDir(dir.path()).filePath(QStringLiteral("server"));
        QDir().mkpath(server);
        Workshop::Plan plan;
        plan.last = QDate::currentDate();
        plan.first = plan.last.addDays(-13);
        Workshop::generate(QDir(server).filePath(QStringLiteral("db.mdb")), plan);
        Workshop::makeStation(program, server);
        const QString torvane = QDir(program).filePath(QStringLiteral("torvane"));
        QVERIFY(QFile::copy(TestFolder::buildFile(QStringLiteral("torvane")), torvane));

        const QStringList env{QStringLiteral("QT_QPA_PLATFORM=offscreen")};
        const ChildRun menu =
            runChild(torvane, {}, env + QStringList{QStringLiteral("TORVANE_BENCH_PROBE=menu")}, 60000);
        QCOMPARE(menu.exitCode, 0);
        QVERIFY2(menu.at("splash") > 0 && menu.at("menu") > menu.at("splash"), menu.errors.constData());
        QVERIFY(!menu.line("daypage"));

        const ChildRun day =
            runChild(torvane, {}, env + QStringList{QStringLiteral("TORVANE_BENCH_PROBE=daypage")}, 60000);
        QCOMPARE(day.exitCode, 0);
        QVERIFY2(day.line("daypage"), day.errors.constData());
        QVERIFY(day.at("daypage") > day.at("menu"));
        QVERIFY(day.line("daypage")->text.mid(8).toLongLong() > 1000); // kB

        // Without the probe the program neither reports nor ends by itself.
        const ChildRun plain = runChild(torvane, {}, env, 1500);
        QVERIFY(plain.timedOut);
        QVERIFY(plain.lines.isEmpty());
    }
};

TORVANE_TEST(ChildTest)
#include "ChildTest.moc"
