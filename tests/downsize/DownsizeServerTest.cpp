// The housekeeping program on a server folder whose db.pgconn names a PostgreSQL database.
#include "PgServer.h"
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "downsize/DownsizeWindow.h"
#include "downsize/Downsizer.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StationRegistry.h"
#include "store/TableCopy.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

namespace {
const QLocale MonthFirst(QLocale::English, QLocale::UnitedStates);

// The server folder: the shipped records on the server, and a page with a booking on each of
// the edges of 1999.
struct serverFolder {
    TestFolder folder;
    QString conn;
    serverFolder()
    {
        conn = PgServer::instance()->newDatabase(folder.path());
        Database seed(TestFolder::buildFile(QStringLiteral("db.mdb")));
        Database d(conn);
        WriteTransaction tx(d);
        Schema::createShared(d);
        TableCopy::copyAll(seed, d);
        for (const QDate &date : {QDate(1998, 12, 31), QDate(1999, 1, 1), QDate(1999, 12, 31), QDate(2000, 1, 1)}) {
            d.execute(QStringLiteral("INSERT INTO \"tbl_Appt\" (caldate, \"Data\") VALUES (?, 'x')"), {date});
            d.execute(QStringLiteral("INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bName\") "
                                     "VALUES (?, 1, 6, 'x')"),
                      {date});
        }
        tx.commit();
    }
    // Pages and bookings in 1999.
    int in1999() const
    {
        Database d(conn);
        return d
            .scalar(QStringLiteral("SELECT (SELECT count(*) FROM \"tbl_Appt\" WHERE caldate LIKE '1999%') + "
                                   "(SELECT count(*) FROM \"tbl_Job\" WHERE \"bDate\" LIKE '1999%')"))
            .toInt();
    }
    int all() const
    {
        Database d(conn);
        return int(TableCopy::count(d, QStringLiteral("tbl_Appt")) + TableCopy::count(d, QStringLiteral("tbl_Job")));
    }
};

QStringList run(const QString &folder, qint64 caller = 0, const QString &to = QStringLiteral("12/31/1999"),
                std::optional<Dialogs::Answer> answer = std::nullopt)
{
    ScriptedDialogs dialogs;
    if (answer)
        dialogs.answer(*answer);
    DownsizeWindow w(folder, dialogs, MonthFirst);
    w.setCallerStation(caller);
    w.show();
    w.findChild<QLineEdit *>(QStringLiteral("Text1_0"))->setText(QStringLiteral("01/01/1999"));
    w.findChild<QLineEdit *>(QStringLiteral("Text1_1"))->setText(to);
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("cmdDelete")), Qt::LeftButton);
    return dialogs.texts();
}
} // namespace

class DownsizeServerTest : public QObject {
    Q_OBJECT
private slots:
    // The range goes in one transaction, the tables are compacted, ids are not handed out again.
    // A range that reaches today asks first, counting what it holds.
    void rangeIsDeletedAndCompactedOnTheServer()
    {
        serverFolder server;
        const int before = server.all();
        Database d(server.conn);
        d.execute(QStringLiteral("INSERT INTO \"tbl_Appt\" (caldate) VALUES ('1999-07-01')"));
        const qint64 newest = d.lastInsertId();
        const QDate today = QDate::currentDate();
        d.execute(QStringLiteral("INSERT INTO \"tbl_Appt\" (caldate) VALUES (?)"), {today});
        d.execute(QStringLiteral("INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bName\") "
                                 "VALUES (?, 1, 6, 'x')"),
                  {today});
        const qint64 caller = StationRegistry::add(d);
        const QString to = MonthFirst.toString(today, QStringLiteral("M/d/yyyy"));
        const QString range = QStringLiteral("5 pages and 4 bookings from 1/1/1999 to %1").arg(to);
        QCOMPARE(run(server.folder.path(), caller, to, Dialogs::AnsNo),
                 QStringList{QStringLiteral("This deletes %1, 2 of them from today on. Delete them?").arg(range)});
        QCOMPARE(server.all(), before + 3);
        QCOMPARE(run(server.folder.path(), caller, QStringLiteral("12/31/1999")),
                 QStringList{QStringLiteral("Downsize file operation successful! 3 pages and 2 bookings from "
                                            "1/1/1999 to 12/31/1999 were deleted.")});
        QCOMPARE(server.in1999(), 0);
        QCOMPARE(server.all(), before - 2);
        QCOMPARE(run(server.folder.path(), caller, to, Dialogs::AnsYes).last(),
                 QStringLiteral("Downsize file operation successful! 2 pages and 2 bookings from 1/1/1999 to %1 were "
                                "deleted.")
                     .arg(to));
        d.execute(QStringLiteral("INSERT INTO \"tbl_Appt\" (caldate) VALUES ('2031-01-01')"));
        QVERIFY(d.lastInsertId() > newest);
    }

    // The window's bar hears each step: the deletion, then every table compacted, to the last.
    void progressCountsTheDeletionAndEachTable()
    {
        serverFolder server;
        QVector<QPair<int, int>> heard;
        const Downsizer::Result r =
            Downsizer(server.conn).run(QDate(1999, 1, 1), QDate(1999, 12, 31), [&](int done, int total) {
                heard << qMakePair(done, total);
            });
        QVERIFY(r.compacted);
        QVERIFY2(heard.size() > 3, qPrintable(QString::number(heard.size())));
        QCOMPARE(heard.first().first, 1);
        QCOMPARE(heard.last().first, heard.last().second);
        for (int i = 1; i < heard.size(); ++i)
            QCOMPARE(heard.at(i).first, heard.at(i - 1).first + 1);
    }

    void anotherRunningStationKeepsEverything()
    {
        serverFolder server;
        Database d(server.conn);
        StationRegistry::add(d);
        const int before = server.all();
        const QStringList shown = run(server.folder.path());
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QLatin1String("1 other station is open on the database.")),
                 qPrintable(shown.first()));
        QCOMPARE(server.all(), before);
    }

    // A station's role has rights on records only: the range goes, and the user is told the
    // tables stayed as large as they were, not that all went well.
    void stationRoleDeletesButCannotCompact()
    {
        serverFolder server;
        PgServer::instance()->useStationRole(server.conn);
        const QStringList shown = run(server.folder.path());
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(QLatin1String("were deleted, but the tables could not be compacted. The role "
                                                      "station may not compact the tables")),
                 qPrintable(shown.first()));
        QCOMPARE(server.in1999(), 0);
    }

    // Another connection inside a transaction on a table keeps VACUUM FULL out: the deletion
    // stands and the user is told to compact later.
    void openTransactionElsewhereLeavesTheDeletionUncompacted()
    {
        serverFolder server;
        Database reader(server.conn);
        reader.execute(QStringLiteral("BEGIN"));
        reader.select(QStringLiteral("SELECT count(*) FROM \"tbl_Appt\""));
        const QStringList shown = run(server.folder.path());
        reader.execute(QStringLiteral("ROLLBACK"));
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(QLatin1String("could not be compacted")), qPrintable(shown.first()));
        QCOMPARE(server.in1999(), 0);
    }
};

static testreg::Add s_downsizeServer("DownsizeServerTest", []() -> QObject * {
    if (!PgServer::instance()) {
        qWarning("DownsizeServerTest left out: %s", qPrintable(PgServer::missing()));
        return nullptr;
    }
    return new DownsizeServerTest;
});
#include "DownsizeServerTest.moc"
