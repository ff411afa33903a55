// Backup, restore and installation where the shared database is on a PostgreSQL server.
#include "../booking/BookingStation.h"
#include "PgServer.h"
#include "StationFixture.h"
#include "TestRegistry.h"
#include "core/Programs.h"
#include "maint/BackupWindow.h"
#include "maint/Installation.h"
#include "maint/NetworkWindow.h"
#include "maint/SharedBackup.h"
#include "store/Database.h"
#include "store/Recordset.h"
#include "store/Schema.h"
#include "store/StationRegistry.h"
#include "store/TableCopy.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {
qint64 addJob(Database &db, const QDate &date, const QString &name)
{
    db.execute(QStringLiteral("INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bName\") VALUES (?, 1, 6, ?)"),
               {date, name});
    return db.lastInsertId();
}

int jobs(const QString &db, const QString &name)
{
    Database d(db);
    return d.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\" WHERE \"bName\" = ?"), {name}).toInt();
}

// A station backing up in a process of its own: the server database named by args[0] into the
// folder args[1].
int backUp(const QStringList &args)
{
    try {
        SharedBackup::backupTo(args.at(0), args.at(1));
        return 0;
    } catch (const AppError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
}
testreg::AddChild s_backUp("back-up", backUp);

constexpr int PauseKey = 7411;

// Every read of tbl_Help waits while PauseKey is held: its table is read through a view that
// takes that lock, with no lock timeout. A backup copies tbl_Help after tbl_Appt and before tbl_Job.
void pauseReadsOfHelp(Database &db)
{
    db.execute(QStringLiteral("ALTER TABLE \"tbl_Help\" RENAME TO help_rows"));
    db.execute(QStringLiteral("CREATE FUNCTION help_pause() RETURNS boolean LANGUAGE plpgsql SET lock_timeout = 0 "
                              "AS $$ BEGIN PERFORM pg_advisory_xact_lock_shared(%1); RETURN true; END $$")
                   .arg(PauseKey));
    db.execute(QStringLiteral("CREATE VIEW \"tbl_Help\" AS SELECT * FROM help_rows WHERE help_pause()"));
}
} // namespace

class ServerMaintTest : public QObject {
    Q_OBJECT
private slots:
    // A backup of the server is a plain db.mdb; restoring it puts its records back on the server
    // under their ids, refuses stale edits, never hands out an id again, and waits for the others;
    // all of it logged in as a station's role, with rights on records only.
    void serverBackupIsAFileAndRestoresOntoTheServer()
    {
        StationFixture f;
        QDir().mkpath(f.serverFolder());
        const QString conn = seedServer(f.serverFolder());
        PgServer::instance()->useStationRole(conn);
        const QString usb = f.drive(QStringLiteral("usb"));
        Database live(conn);
        addJob(live, QDate(2001, 3, 1), QStringLiteral("In the backup"));
        SharedBackup::backupTo(conn, usb);
        const QString copy = QDir(usb).filePath(QStringLiteral("db.mdb"));
        QVERIFY(!Database::isConnectionFile(Database::sharedIn(usb)));
        QCOMPARE(jobs(copy, QStringLiteral("In the backup")), 1);

        const qint64 newest = addJob(live, QDate(2001, 3, 2), QStringLiteral("After the backup"));
        const qint64 other = StationRegistry::add(live);
        QVERIFY_THROWS_EXCEPTION(AppError, SharedBackup::restoreFrom(usb, conn));
        QCOMPARE(jobs(conn, QStringLiteral("After the backup")), 1);
        StationRegistry::remove(live, other);

        DataSource editing;
        editing.setDatabaseName(conn);
        editing.setRecordSource(QStringLiteral("tbl_Setup"));
        editing.refresh();
        editing.recordset().edit();
        editing.recordset().setField(QStringLiteral("location"), QStringLiteral("Garage"));

        SharedBackup::restoreFrom(usb, conn);
        QCOMPARE(jobs(conn, QStringLiteral("In the backup")), 1);
        QCOMPARE(jobs(conn, QStringLiteral("After the backup")), 0);
        {
            Database file(copy);
            QCOMPARE(TableCopy::count(live, QStringLiteral("tbl_Appt")),
                     TableCopy::count(file, QStringLiteral("tbl_Appt")));
        }
        try {
            editing.recordset().update();
            QFAIL("a write over the restored record went through");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), ErrNo::RecordChanged);
        }
        QVERIFY(addJob(live, QDate(2001, 3, 3), QStringLiteral("Next")) > newest);
    }

    // A station saves a booking while the backup has copied tbl_Appt and not yet tbl_Job: the
    // backup holds the server as it was when it began, the booking wholly left out.
    void serverBackupIsOneSnapshotWhileAStationBooks()
    {
        TestFolder office, usb;
        const QString conn = seedShared(office, true);
        Database live(conn);
        pauseReadsOfHelp(live);
        BookingStation station(office);
        auto flow = station.openSlot(8, 2);
        QVERIFY(flow);

        live.execute(QStringLiteral("BEGIN"));
        live.execute(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(PauseKey));
        QProcess backup;
        backup.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--child"), QStringLiteral("back-up"), conn, usb.path()});
        // The backup has copied tbl_Appt and waits inside tbl_Help.
        const QString waiting =
            QStringLiteral("SELECT count(*) FROM pg_locks WHERE locktype = 'advisory' AND NOT granted");
        QTRY_COMPARE_WITH_TIMEOUT(live.scalar(waiting).toInt(), 1, 60000);

        BookingEntries form = flow->loadedForm();
        form[BookingEntry::Name] = QStringLiteral("Mid Backup");
        form[BookingEntry::time(0)] = QStringLiteral("1");
        form[BookingEntry::TTime] = BookingFlow::totalTime(form);
        flow->recordEdited();
        flow->timeEdited();
        QCOMPARE(flow->saveCommand(form), BookingFlow::Outcome::Closed);
        QCOMPARE(jobs(conn, QStringLiteral("Mid Backup")), 1);
        live.execute(QStringLiteral("COMMIT"));
        QVERIFY(backup.waitForFinished(60000));
        QVERIFY2(backup.exitCode() == 0, backup.readAllStandardError().constData());

        Database copy(usb.file(QStringLiteral("db.mdb")));
        QCOMPARE(copy.scalar(QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName = 'Mid Backup'")).toInt(), 0);
        const QString page =
            copy.scalar(QStringLiteral("SELECT Data FROM tbl_Appt WHERE caldate = ?"), {bookingDay()}).toString();
        QVERIFY(page.contains(QLatin1String("Engaged")));
        QVERIFY(!page.contains(QLatin1String("Mid Backup")));
    }

    // The copy runs beside the window's events: while the server is silent the progress bar is up
    // and the window answers; once the server answers again the backup completes.
    void backupRunsWhileTheWindowGoesOn()
    {
        StationFixture f;
        f.installOnServer(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        BackupWindow w(f.state);
        w.show();
        w.findChild<QLineEdit *>(QStringLiteral("txtBackup"))->setText(drive);
        bool barShown = false;
        {
            FrozenServer frozen;
            QTimer::singleShot(0, &w, [&] {
                const auto *bar = w.findChild<QProgressDialog *>(QStringLiteral("prgTables"));
                barShown = bar && bar->isVisible();
                frozen.now();
            });
            QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("cmdBackup")), Qt::LeftButton);
        }
        QVERIFY(barShown);
        QVERIFY(w.findChild<QLabel *>(QStringLiteral("lblBackupComplete"))->isVisible());
        QCOMPARE(f.dialogs.texts(), QStringList{BackupWindow::ReminderText});
        Database copy(QDir(drive).filePath(QStringLiteral("db.mdb")));
        QCOMPARE(TableCopy::count(copy, QStringLiteral("tbl_Setup")), 1);
    }

    // A folder naming a server database without the Torvane tables is refused before anything is
    // written: the station stays uninstalled and the folder gets no files.
    void installationRefusesAServerWithoutTheTables()
    {
        StationFixture f;
        const QString folder = f.serverFolder();
        QDir().mkpath(folder);
        PgServer::instance()->newDatabase(folder);
        auto *net = qobject_cast<NetworkWindow *>(ShellWindows::startUp(f.state));
        QVERIFY(net);
        f.dialogs.answer(Dialogs::AnsYes); // file server
        f.dialogs.answerInput(folder);
        f.dialogs.answer(Dialogs::AnsOk);
        f.dialogs.answer(Dialogs::AnsYes); // asked again: file server
        f.dialogs.cancelInput();
        f.dialogs.answer(Dialogs::AnsNo); // and then gives up
        net->next();
        QVERIFY(f.dialogs.texts().at(2).contains(QLatin1String("holds no Torvane tables")));
        QVERIFY(f.dialogs.texts().at(2).contains(QLatin1String("Nothing was installed")));
        QVERIFY(!Station::read(f.state.paths().stationDbPath()).net);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("db.pgconn")});
    }

    // Reinstalling over a server database: it is counted like a file, and replacing it keeps its
    // records in a db.mdb beside it and loads the installation's records onto the server.
    void reinstallingOverAServerKeepsItsRecordsInAFile()
    {
        StationFixture f;
        const QString folder = f.serverFolder();
        QDir().mkpath(folder);
        const QString conn = seedServer(folder);
        {
            Database live(conn);
            addJob(live, QDate(2002, 1, 7), QStringLiteral("Before the reinstall"));
            const qint64 other = StationRegistry::add(live);
            QCOMPARE(Installation::existingDatabase(folder)->stationsOpen, 1);
            StationRegistry::remove(live, other);
        }
        const auto existing = Installation::existingDatabase(folder);
        QVERIFY(existing);
        QCOMPARE(existing->path, conn);
        QVERIFY(existing->problem.isEmpty());
        QCOMPARE(existing->stationsOpen, 0);

        const QString keptAs = Installation::keepAsideName(folder, QDateTime::currentDateTime());
        QFile exe(f.program.file(downsizeFileName()));
        QVERIFY(exe.open(QIODevice::WriteOnly));
        exe.close();
        f.program.copySeed(QStringLiteral("Info.doc"));
        StationPaths shipped;
        shipped.setProgramFolder(f.program.path());
        Installation::copyServerFiles(shipped, folder, keptAs);
        QCOMPARE(jobs(keptAs, QStringLiteral("Before the reinstall")), 1);
        QCOMPARE(jobs(conn, QStringLiteral("Before the reinstall")), 0);
        QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("db.mdb"))));
        QVERIFY(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Info.doc"))));
    }
};

static testreg::AddOnServer<ServerMaintTest> s_serverMaint("ServerMaintTest");
#include "ServerMaintTest.moc"
