#include "DrawingWatch.h"
#include "SmallDisk.h"
#include "StationFixture.h"
#include "TestRegistry.h"
#include "core/Station.h"
#include "maint/BackupWindow.h"
#include "maint/Installation.h"
#include "maint/SharedBackup.h"
#include "store/Database.h"
#include "store/Recordset.h"
#include "store/Schema.h"
#include "store/StationRegistry.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

int count(const QString &db, const QString &sql, const QVariantList &binds = {})
{
    Database d(db);
    return d.scalar(sql, binds).toInt();
}

void addJob(Database &db, const QDate &date, int row, const QString &name)
{
    db.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName) VALUES (?, 1, ?, ?)"), {date, row, name});
}

// A backup written by a program from before stations registered: the older shape of the file,
// holding the live database's office records.
void writeOlderBackup(const QString &live, const QString &file)
{
    QFile schema(QStringLiteral(TORVANE_SOURCE_DIR "/tests/store/shared_before_stations.sql"));
    QVERIFY(schema.open(QIODevice::ReadOnly));
    Database d;
    d.create(file);
    d.executeScript(QString::fromUtf8(schema.readAll()));
    d.execute(QStringLiteral("ATTACH DATABASE ? AS live"), {live});
    for (const char *table : {"tbl_Setup", "tbl_Setup2", "tbl_Appt", "tbl_Job", "tbl_Help"}) {
        const QString fields = d.fieldNames(QLatin1String(table)).join(QLatin1Char(','));
        d.execute(QStringLiteral("INSERT INTO main.%1 (rowid, %2) SELECT rowid, %2 FROM live.%1")
                      .arg(QLatin1String(table), fields));
    }
    d.execute(QStringLiteral("DETACH DATABASE live"));
}

QLabel *label(QWidget *w, const char *name) { return w->findChild<QLabel *>(QLatin1String(name)); }
QLineEdit *edit(QWidget *w, const char *name) { return w->findChild<QLineEdit *>(QLatin1String(name)); }
QPushButton *button(QWidget *w, const char *name) { return w->findChild<QPushButton *>(QLatin1String(name)); }
} // namespace

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void backupDuringAnotherStationsWriteIsWholeAndCommitted()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        // A previous backup that must survive until the new one is complete.
        QFile::copy(f.sharedDb(), QDir(drive).filePath(QStringLiteral("db.mdb")));

        Database other(f.sharedDb());
        for (int i = 0; i < 50; ++i)
            addJob(other, QDate(2001, 5, 1), 6 + i, QStringLiteral("Committed %1").arg(i));
        other.begin(); // this station is in the middle of writing
        addJob(other, QDate(2001, 5, 2), 6, QStringLiteral("Uncommitted"));

        SharedBackup::backupTo(f.sharedDb(), drive);
        other.rollback();

        const QString copy = QDir(drive).filePath(QStringLiteral("db.mdb"));
        QCOMPARE(
            count(copy, QStringLiteral("SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'")), 1);
        QCOMPARE(count(copy, QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName LIKE 'Committed %'")), 50);
        QCOMPARE(count(copy, QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName = 'Uncommitted'")), 0);
        QCOMPARE(count(copy, QStringLiteral("SELECT count(*) FROM tbl_Appt")),
                 count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Appt")));
        // The previous backup is kept beside it, by date.
        const QStringList files = QDir(drive).entryList(QDir::Files);
        QCOMPARE(files.size(), 2);
        QCOMPARE(SharedBackup::backupsIn(drive).first(), QStringLiteral("db.mdb"));
    }

    void failedBackupKeepsThePreviousOne()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        const QString previous = QDir(drive).filePath(QStringLiteral("db.mdb"));
        QFile::copy(f.sharedDb(), previous);
        const QByteArray before = fileHash(previous);
        QVERIFY_THROWS_EXCEPTION(AppError, SharedBackup::backupTo(f.disk.file(QStringLiteral("gone.mdb")), drive));
        QCOMPARE(fileHash(previous), before);
        QCOMPARE(QDir(drive).entryList(QDir::Files), QStringList{QStringLiteral("db.mdb")});
    }

    void backupWindowReportsCompletionOrOffersRetry()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        BackupWindow w(f.state);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Back-up /Restore Files"));
        edit(&w, "txtBackup")->setText(drive);
        QTest::mouseClick(button(&w, "cmdBackup"), Qt::LeftButton);
        QVERIFY(label(&w, "lblBackupComplete")->isVisible());
        QVERIFY(!label(&w, "lblBacking")->isVisible());
        QVERIFY(QFile::exists(QDir(drive).filePath(QStringLiteral("db.mdb"))));

        f.dialogs.clear();
        const QString missing = f.disk.file(QStringLiteral("no-medium"));
        edit(&w, "txtBackup")->setText(missing);
        f.dialogs.answer(Dialogs::AnsNo);
        QTest::mouseClick(button(&w, "cmdBackup"), Qt::LeftButton);
        QCOMPARE(f.dialogs.count(), 1);
        QVERIFY(f.dialogs.last().text.endsWith(QLatin1String(". Retry?")));
        QVERIFY(f.dialogs.last().text.contains(QDir::toNativeSeparators(missing)));
        QCOMPARE(f.dialogs.last().buttons, Dialogs::YesNo);
        QCOMPARE(f.dialogs.last().icon, Dialogs::Question);
        QVERIFY(!label(&w, "lblBackupComplete")->isVisible());
        QVERIFY(!label(&w, "lblBacking")->isVisible());
        // Yes retries the step, which fails again on the same missing drive.
        f.dialogs.clear();
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answer(Dialogs::AnsNo);
        QTest::mouseClick(button(&w, "cmdBackup"), Qt::LeftButton);
        QCOMPARE(f.dialogs.count(), 2);
    }

    void restoreFromUnusableSourceLeavesLiveDatabaseUntouched_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no drive") << "no-drive"
                                  << "nothing cannot be found";
        QTest::newRow("no database") << "empty"
                                     << "db.mdb cannot be found";
        QTest::newRow("not a database") << "text"
                                        << "is not a readable database";
        QTest::newRow("another program's database") << "foreign"
                                                    << "tbl_";
        QTest::newRow("settings record missing") << "no-setup"
                                                 << "no settings record";
    }
    void restoreFromUnusableSourceLeavesLiveDatabaseUntouched()
    {
        QFETCH(QString, content);
        QFETCH(QString, reason);
        StationFixture f;
        f.install(true);
        const QString source = content == QLatin1String("no-drive") ? f.disk.file(QStringLiteral("nothing"))
                                                                    : f.drive(QStringLiteral("usb"));
        const QString file = QDir(source).filePath(QStringLiteral("db.mdb"));
        if (content == QLatin1String("text")) {
            QFile t(file);
            QVERIFY(t.open(QIODevice::WriteOnly));
            t.write("These are my notes, not a database.\n");
        } else if (content == QLatin1String("foreign")) {
            Database d;
            d.create(file);
            d.execute(QStringLiteral("CREATE TABLE customers (name TEXT)"));
        } else if (content == QLatin1String("no-setup")) {
            QFile::copy(f.sharedDb(), file);
            QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            Database d(file);
            d.execute(QStringLiteral("DELETE FROM tbl_Setup"));
        }
        const QByteArray before = fileHash(f.sharedDb());

        BackupWindow w(f.state);
        w.show();
        QCoreApplication::processEvents(); // the activation reminder
        f.dialogs.clear();
        edit(&w, "txtRestore")->setText(source);
        f.dialogs.answer(Dialogs::AnsYes); // replace the database
        f.dialogs.answer(Dialogs::AnsNo);  // no retry
        QTest::mouseClick(button(&w, "cmdRestore"), Qt::LeftButton);
        QCOMPARE(f.dialogs.count(), 2);
        QVERIFY2(f.dialogs.last().text.contains(reason), qPrintable(f.dialogs.last().text));
        QVERIFY(f.dialogs.last().text.endsWith(QLatin1String(". Retry?")));
        QCOMPARE(fileHash(f.sharedDb()), before);
        QVERIFY(!label(&w, "lblRestoreComplete")->isVisible());
        QVERIFY(!label(&w, "lblRestoring")->isVisible());
    }

    void restoreReplacesRecordsAndStaleEditsAreRefused()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        {
            Database live(f.sharedDb());
            addJob(live, QDate(2001, 3, 1), 6, QStringLiteral("In the backup"));
        }
        SharedBackup::backupTo(f.sharedDb(), drive);
        {
            Database live(f.sharedDb());
            addJob(live, QDate(2001, 3, 2), 6, QStringLiteral("After the backup"));
        }
        // Another station is editing the settings record while the restore runs.
        DataSource other;
        other.setDatabaseName(f.sharedDb());
        other.setRecordSource(QStringLiteral("tbl_Setup"));
        other.refresh();
        other.recordset().edit();
        other.recordset().setField(QStringLiteral("location"), QStringLiteral("Garage"));

        BackupWindow w(f.state);
        w.show();
        QCoreApplication::processEvents(); // the activation reminder
        f.dialogs.clear();
        edit(&w, "txtRestore")->setText(drive);
        f.dialogs.answer(Dialogs::AnsYes);
        QTest::mouseClick(button(&w, "cmdRestore"), Qt::LeftButton);
        QCOMPARE(f.dialogs.count(), 1);
        QCOMPARE(f.dialogs.last().text, BackupWindow::RestoreQuestion);
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Restore files"));
        QCOMPARE(f.dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QCOMPARE(f.dialogs.last().icon, Dialogs::Critical);
        QVERIFY(label(&w, "lblRestoreComplete")->isVisible());
        QVERIFY(!label(&w, "lblRestoring")->isVisible());

        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName = 'In the backup'")), 1);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName = 'After the backup'")),
                 0);
        QCOMPARE(count(f.sharedDb(),
                       QStringLiteral("SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'")),
                 1);
        try {
            other.recordset().update();
            QFAIL("a write over the restored record went through");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), ErrNo::RecordChanged);
        }
    }

    // Another station's write that outlasts a glance: the restore waits for it under the bar
    // while the window's timers turn and the bar is painted, then, once that station commits,
    // loads the backup whole over what it wrote, the bar shown to its end.
    void restoreWaitsOutAnotherStationsWriteWhileTheWindowDraws()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        Database other(f.sharedDb());
        addJob(other, QDate(2001, 3, 1), 6, QStringLiteral("In the backup"));
        SharedBackup::backupTo(f.sharedDb(), drive);
        const LockPatience patience(30000);
        other.begin();
        addJob(other, QDate(2001, 3, 2), 6, QStringLiteral("Written meanwhile"));

        BackupWindow w(f.state);
        w.show();
        QCoreApplication::processEvents(); // the activation reminder
        f.dialogs.clear();
        edit(&w, "txtRestore")->setText(drive);
        f.dialogs.answer(Dialogs::AnsYes);
        DrawingWatch watch([&] { other.commit(); });
        QTest::mouseClick(button(&w, "cmdRestore"), Qt::LeftButton);
        QVERIFY(watch.released());
        QVERIFY(watch.paintsWhileHeld() > 0);
        QCOMPARE(f.dialogs.texts(), QStringList{BackupWindow::RestoreQuestion});
        QVERIFY(label(&w, "lblRestoreComplete")->isVisible());
        QVERIFY(!watch.values().isEmpty());
        QCOMPARE(watch.values().last().first, watch.values().last().second);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName = 'In the backup'")), 1);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName = 'Written meanwhile'")),
                 0);
    }

    void restoreWaitsForOtherStationsAndNeverReusesIds_data()
    {
        QTest::addColumn<bool>("olderBackup");
        // 0 none, 1 running on another machine, 2 silent for longer than the timeout
        QTest::addColumn<int>("otherStation");
        QTest::newRow("older backup, only this station") << true << 0;
        QTest::newRow("backup, another station silent") << false << 2;
        QTest::newRow("a station of another machine running") << false << 1;
    }
    void restoreWaitsForOtherStationsAndNeverReusesIds()
    {
        QFETCH(bool, olderBackup);
        QFETCH(int, otherStation);
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        Database live(f.sharedDb());
        addJob(live, QDate(2001, 3, 1), 6, QStringLiteral("In the backup"));
        if (olderBackup)
            writeOlderBackup(f.sharedDb(), QDir(drive).filePath(QStringLiteral("db.mdb")));
        else {
            SharedBackup::backupTo(f.sharedDb(), drive);
            // A backup of the shape that kept a key per prefix: its keys are made again.
            Database copy(QDir(drive).filePath(QStringLiteral("db.mdb")));
            copy.execute(QStringLiteral("INSERT INTO tbl_CustomerKey (prefix, nameKey, phoneKey) VALUES ('bac', "
                                        "'in the backup', '')"));
            copy.execute(QStringLiteral("PRAGMA user_version = %1").arg(Schema::WholeWordKeysVersion - 1));
        }
        // The newest page, made after the backup, has the highest id yet.
        live.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate) VALUES ('2001-03-02')"));
        const qint64 newest = live.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
        f.state.registration().id = StationRegistry::add(live);
        if (otherStation) {
            const qint64 other = StationRegistry::add(live);
            moveToAnotherMachine(live, other);
            if (otherStation == 2)
                live.execute(QStringLiteral("UPDATE tbl_Station SET beat = beat - ? WHERE id = ?"),
                             {StationRegistry::DefaultTimeoutMs + 1000, other});
        }

        BackupWindow w(f.state);
        w.show();
        QCoreApplication::processEvents(); // the activation reminder
        f.dialogs.clear();
        edit(&w, "txtRestore")->setText(drive);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answer(Dialogs::AnsNo); // no retry
        QTest::mouseClick(button(&w, "cmdRestore"), Qt::LeftButton);
        const int pages =
            count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Appt WHERE caldate = '2001-03-02'"));
        if (otherStation == 1) {
            QCOMPARE(f.dialogs.last().text,
                     QStringLiteral("1 other station is open on the database: close the program there first. Retry?"));
            QCOMPARE(pages, 1);
            return;
        }
        QCOMPARE(f.dialogs.count(), 1);
        QVERIFY(label(&w, "lblRestoreComplete")->isVisible());
        QCOMPARE(pages, 0);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName = 'In the backup'")), 1);
        // Its customers made from its bookings.
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Customer WHERE cName = 'In the backup'")),
                 1);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_CustomerKey WHERE prefix = 'bac'")), 0);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_CustomerKey WHERE prefix = 'backup'")),
                 1);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("PRAGMA user_version")), Schema::SharedVersion);
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Station WHERE id = ?"),
                       {f.state.registration().id}),
                 1);
        live.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate) VALUES ('2001-03-03')"));
        QVERIFY(live.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong() > newest);
    }

    void restoreQuestionAnsweredNoChangesNothing()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        SharedBackup::backupTo(f.sharedDb(), drive);
        {
            Database live(f.sharedDb());
            addJob(live, QDate(2001, 3, 2), 6, QStringLiteral("Keep me"));
        }
        const QByteArray before = fileHash(f.sharedDb());
        BackupWindow w(f.state);
        w.show();
        edit(&w, "txtRestore")->setText(drive);
        f.dialogs.answer(Dialogs::AnsNo);
        QTest::mouseClick(button(&w, "cmdRestore"), Qt::LeftButton);
        QCOMPARE(fileHash(f.sharedDb()), before);
        QVERIFY(!label(&w, "lblRestoreComplete")->isVisible());
        QVERIFY(!label(&w, "lblRestoring")->isVisible());
    }

    void spareIsShownInBothBoxesAndRemembered()
    {
        StationFixture f;
        f.install(true);
        {
            Database live(f.sharedDb());
            live.execute(QStringLiteral("UPDATE tbl_Setup SET Spare = ?"), {QStringLiteral("/media/stick")});
        }
        f.state.setExitAfterBackup(true);
        auto *w = new BackupWindow(f.state);
        f.switcher.show(w);
        QCOMPARE(edit(w, "txtBackup")->text(), QStringLiteral("/media/stick"));
        QCOMPARE(edit(w, "txtRestore")->text(), QStringLiteral("/media/stick"));
        edit(w, "txtBackup")->clear();
        QTest::keyClicks(edit(w, "txtBackup"), QStringLiteral("/media/usb"));
#ifndef Q_OS_WIN
        QCOMPARE(edit(w, "txtBackup")->text(), QStringLiteral("/media/usb")); // a path keeps its case
#endif
        QTest::mouseClick(button(w, "cmdExit"), Qt::LeftButton);
        QVERIFY(f.switcher.programEnded());
        Database live(f.sharedDb());
        QCOMPARE(live.scalar(QStringLiteral("SELECT Spare FROM tbl_Setup")).toString(), QStringLiteral("/media/usb"));
    }

    void backupRefusesTheServerFolderHoweverSpelled()
    {
        StationFixture f;
        f.install(true);
        const QString link = f.disk.file(QStringLiteral("share"));
        QVERIFY(QFile::link(f.serverFolder(), link));
        const QByteArray before = fileHash(f.sharedDb());
        auto *w = new BackupWindow(f.state);
        f.switcher.show(w);
        for (const QString &typed : {link, f.serverFolder() + QStringLiteral("/./")}) {
            f.dialogs.clear();
            edit(w, "txtBackup")->setText(typed);
            QTest::mouseClick(button(w, "cmdBackup"), Qt::LeftButton);
            QCOMPARE(f.dialogs.count(), 1);
            QVERIFY(f.dialogs.last().text.startsWith(QDir::toNativeSeparators(Installation::settledPath(typed, {}))));
            QVERIFY(f.dialogs.last().text.contains(QLatin1String("server folder itself")));
            QVERIFY(!label(w, "lblBackupComplete")->isVisible());
            QVERIFY_THROWS_EXCEPTION(AppError, SharedBackup::backupTo(f.sharedDb(), typed));
        }
        QCOMPARE(fileHash(f.sharedDb()), before);
        QCOMPARE(QDir(f.serverFolder()).entryList(QDir::Files), QStringList{QStringLiteral("db.mdb")});
    }

#ifndef Q_OS_WIN
    void driveLetterOffersAFolderOfThisMachine()
    {
        StationFixture f;
        f.install(true); // the shipped settings remember "A:"
        auto *w = new BackupWindow(f.state);
        f.switcher.show(w);
        for (const char *box : {"txtBackup", "txtRestore"}) {
            const QString shown = edit(w, box)->text();
            QVERIFY2(QFileInfo(shown).isDir() && QFileInfo(shown).isAbsolute(), qPrintable(shown));
        }
        QCOMPARE(SharedBackup::offeredDestination(QStringLiteral(" /media/stick ")), QStringLiteral("/media/stick"));
    }
#endif

    void backupsAreKeptByDateAndAnOlderOneIsRestored()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        const QDir dir(drive);
        // Four back-ups a day apart, each made when the office held one more booking.
        for (int day = 1; day <= 4; ++day) {
            {
                Database live(f.sharedDb());
                addJob(live, QDate(2001, 4, day), 6, QStringLiteral("Day %1").arg(day));
            }
            SharedBackup::backupTo(f.sharedDb(), drive, {}, 2);
            QFile written(dir.filePath(QStringLiteral("db.mdb")));
            QVERIFY(written.open(QIODevice::ReadWrite));
            QVERIFY(written.setFileTime(QDateTime(QDate(2026, 3, day), QTime(18, 30, 5)),
                                        QFileDevice::FileModificationTime));
        }
        // Kept: db.mdb (day 4), and the newest two of the earlier ones; day 1 has gone.
        QCOMPARE(SharedBackup::backupsIn(drive),
                 (QStringList{QStringLiteral("db.mdb"), QStringLiteral("db-20260303-183005.mdb"),
                              QStringLiteral("db-20260302-183005.mdb")}));
        QCOMPARE(dir.entryList(QDir::Files).size(), 3);
        QCOMPARE(count(dir.filePath(QStringLiteral("db-20260302-183005.mdb")),
                       QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName LIKE 'Day %'")),
                 2);

        // The window offers the newest; the user picks the one of day 2.
        BackupWindow w(f.state);
        w.show();
        edit(&w, "txtRestore")->setText(drive);
        auto *backups = w.findChild<QComboBox *>(QStringLiteral("cboBackups"));
        QCOMPARE(backups->count(), 3);
        QVERIFY(backups->currentText().startsWith(QLatin1String("db.mdb (newest")));
        backups->setCurrentIndex(2);
        f.dialogs.answer(Dialogs::AnsYes);
        QTest::mouseClick(button(&w, "cmdRestore"), Qt::LeftButton);
        QVERIFY2(label(&w, "lblRestoreComplete")->isVisible(), qPrintable(f.dialogs.texts().join('|')));
        QCOMPARE(count(f.sharedDb(), QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bName LIKE 'Day %'")), 2);
    }

    void theNumberOfBackupsKeptIsShownStoredAndHonoured()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        {
            BackupWindow w(f.state);
            w.show();
            auto *keep = w.findChild<QSpinBox *>(QStringLiteral("spnKeep"));
            QCOMPARE(keep->value(), SharedBackup::KeptBackups);
            keep->setValue(3);
            edit(&w, "txtBackup")->setText(drive);
            for (int i = 0; i < 5; ++i) {
                QTest::mouseClick(button(&w, "cmdBackup"), Qt::LeftButton);
                QVERIFY2(label(&w, "lblBackupComplete")->isVisible(), qPrintable(f.dialogs.texts().join('|')));
            }
        }
        // db.mdb and the newest three of the four earlier ones.
        QCOMPARE(QDir(drive).entryList({QStringLiteral("db-*.mdb")}).size(), 3);
        QCOMPARE(SharedBackup::backupsIn(drive).size(), 4);
        // The station's file keeps the choice for the next time the window opens.
        QCOMPARE(Station::keptBackups(f.state.paths().stationDbPath(), -1), 3);
        BackupWindow again(f.state);
        QCOMPARE(again.findChild<QSpinBox *>(QStringLiteral("spnKeep"))->value(), 3);
    }

#ifdef Q_OS_LINUX
    void killedBackupLeavesNoTemporaryFileAfterTheNext()
    {
        StationFixture f;
        f.install(true);
        const QString drive = f.drive(QStringLiteral("usb"));
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            // Killed once the copy is written, before it takes the name db.mdb.
            SharedBackup::backupTo(f.sharedDb(), drive, [&](int done, int total) {
                if (done == total) {
                    (void)!::write(ready[1], "x", 1);
                    ::pause();
                }
            });
            ::_exit(0);
        }
        char c = 0;
        QCOMPARE(::read(ready[0], &c, 1), ssize_t(1));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        const QStringList left = QDir(drive).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), 1);
        QVERIFY(left.first().startsWith(QLatin1String("db.mdb.")));

        SharedBackup::backupTo(f.sharedDb(), drive);
        QCOMPARE(QDir(drive).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("db.mdb")});
    }
#endif

    void failedBackupSaysWhichFolderAndWhyOnce_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("cause");
        QTest::newRow("read-only") << "read-only"
                                   << " is read-only";
        QTest::newRow("full") << "full"
                              << " is full";
        QTest::newRow("busy") << "busy"
                              << " is busy: another station is saving to it";
    }
    void failedBackupSaysWhichFolderAndWhyOnce()
    {
        QFETCH(QString, problem);
        QFETCH(QString, cause);
        StationFixture f;
        f.install(true);
        SmallDisk disk(256);
        QString named = f.sharedDb();
        BackupWindow w(f.state);
        w.show();
        QCoreApplication::processEvents(); // the activation reminder
        Database other;
        if (problem == QLatin1String("busy")) {
            other.open(f.sharedDb());
            other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        } else {
            if (!disk.ready())
                QSKIP("mounting a small disk needs root");
            named = disk.path();
            if (problem == QLatin1String("read-only"))
                QVERIFY(disk.makeReadOnly());
            else
                disk.fill();
        }
        const QString destination = problem == QLatin1String("busy") ? f.drive(QStringLiteral("usb")) : disk.path();
        edit(&w, "txtBackup")->setText(destination);
        f.dialogs.clear();
        f.dialogs.answer(Dialogs::AnsNo);
        QTest::mouseClick(button(&w, "cmdBackup"), Qt::LeftButton);
        if (other.isOpen())
            other.execute(QStringLiteral("ROLLBACK"));
        QCOMPARE(f.dialogs.count(), 1);
        const QString text = f.dialogs.last().text;
        QVERIFY2(text.contains(cause), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(named)), qPrintable(text));
        QVERIFY2(text.endsWith(QLatin1String(". Retry?")) && !text.contains(QLatin1String("..")), qPrintable(text));
        QVERIFY(!label(&w, "lblBackupComplete")->isVisible());
        QVERIFY(!QFileInfo::exists(QDir(destination).filePath(QStringLiteral("db.mdb"))));
    }

    void exitFromMenuReturnsToMenu()
    {
        StationFixture f;
        f.install(true);
        f.state.setExitAfterBackup(false);
        auto *w = new BackupWindow(f.state);
        f.switcher.show(w);
        w->close(); // the close box runs Exit
        QVERIFY(!f.switcher.programEnded());
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmMain"));
    }

    void activationRemindsToLogOutClients()
    {
        StationFixture f;
        f.install(true);
        auto *w = new BackupWindow(f.state);
        f.switcher.show(w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTRY_VERIFY(f.dialogs.texts().contains(BackupWindow::ReminderText));
        QCOMPARE(f.dialogs.titles().at(f.dialogs.texts().indexOf(BackupWindow::ReminderText)),
                 QStringLiteral("File Backup/Restore"));
    }
};
TORVANE_TEST(BackupTest)
#include "BackupTest.moc"
