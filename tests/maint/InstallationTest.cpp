#include "maint/Installation.h"
#include "StationFixture.h"
#include "TestRegistry.h"
#include "core/FolderInputDialog.h"
#include "core/Programs.h"
#include "maint/NetworkWindow.h"
#include "store/Database.h"
#include "store/StationRegistry.h"

#include <QCryptographicHash>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
const QString StationQuestion = QStringLiteral("Is this workstation also the file server station?");

// The program folder as the build leaves it: both databases, the housekeeping program, Info.doc.
void completeProgramFolder(StationFixture &f)
{
    QFile exe(f.program.file(downsizeFileName()));
    QVERIFY(exe.open(QIODevice::WriteOnly));
    exe.write("#!/bin/sh\n");
    exe.close();
    exe.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    f.program.copySeed(QStringLiteral("Info.doc"));
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

NetworkWindow *showInstallation(StationFixture &f)
{
    auto *net = qobject_cast<NetworkWindow *>(ShellWindows::startUp(f.state));
    return net;
}
} // namespace

class InstallationTest : public QObject {
    Q_OBJECT
private slots:
    void fileServerInstallationRecordsFolderAndCopiesFiles()
    {
        StationFixture f;
        completeProgramFolder(f);
        const QString folder = f.disk.file(QStringLiteral("server"));
        // An older copy in the way is replaced.
        QDir().mkpath(folder);
        QFile old(QDir(folder).filePath(QStringLiteral("Info.doc")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();

        NetworkWindow *net = showInstallation(f);
        QVERIFY(net);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(folder + QLatin1Char('/'));
        net->next();

        QCOMPARE(f.dialogs.texts().first(), StationQuestion);
        QCOMPARE(f.dialogs.titles().first(), QStringLiteral("Workstation Status"));
        QCOMPARE(f.dialogs.shown().at(1).title, QStringLiteral("Server Path Name"));
        const StationRecord s = Station::read(f.state.paths().stationDbPath());
        QCOMPARE(s.server, folder);
        QVERIFY(s.net);
        QVERIFY(s.main);
        for (const QString &name : Installation::serverFiles()) {
            const QFileInfo copy(QDir(folder).filePath(name));
            QVERIFY2(copy.isFile(), qPrintable(name));
            QCOMPARE(copy.size(), QFileInfo(f.program.file(name)).size());
        }
        QVERIFY(QFileInfo(QDir(folder).filePath(downsizeFileName())).isExecutable());
        QVERIFY(QDir(folder).entryList(QDir::Files).size() == 3); // no temporary files left
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmSplash"));
        QVERIFY(!net->isVisible());
    }

    void browseFillsEachFolderBoxAndTheChosenFolderIsUsed()
    {
        StationFixture f;
        completeProgramFolder(f);
        const QString empty = f.drive(QStringLiteral("empty"));
        const QString server = f.disk.file(QStringLiteral("chosen server"));
        QDir().mkpath(server);
        // Each folder box as it comes up: Browse, then Enter in the box.
        QStringList boxTexts;
        QTimer driver;
        driver.setInterval(10);
        connect(&driver, &QTimer::timeout, this, [&boxTexts] {
            auto *box = qobject_cast<FolderInputDialog *>(QApplication::activeModalWidget());
            if (!box || box->property("driven").toBool())
                return;
            box->setProperty("driven", true);
            QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("cmdBrowse")), Qt::LeftButton);
            auto *folder = box->findChild<QLineEdit *>(QStringLiteral("txtFolder"));
            boxTexts << folder->text();
            QTest::keyClick(folder, Qt::Key_Return);
        });
        driver.start();

        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsNo); // a client first, on a folder without the shared database
        f.dialogs.showNextFolderBox();
        f.dialogs.answerFile(empty);
        f.dialogs.answer(Dialogs::AnsOk);  // no shared database there
        f.dialogs.answer(Dialogs::AnsYes); // then the file server after all
        f.dialogs.showNextFolderBox();
        f.dialogs.answerFile(server);
        net->next();
        driver.stop();

        QCOMPARE(boxTexts, (QStringList{QDir::toNativeSeparators(empty), QDir::toNativeSeparators(server)}));
        QCOMPARE(f.dialogs.shown().at(2).text, Installation::defaultClientDrive()); // where the chooser opened
        QVERIFY2(f.dialogs.shown().at(3).text.contains(QDir::toNativeSeparators(empty)),
                 qPrintable(f.dialogs.shown().at(3).text));
        const StationRecord s = Station::read(f.state.paths().stationDbPath());
        QCOMPARE(s.server, server);
        QVERIFY(s.main);
        QVERIFY(QFileInfo(QDir(server).filePath(QStringLiteral("db.mdb"))).isFile());
        QVERIFY(!f.dialogs.pendingAnswers());
    }

    void clientInstallationRecordsDriveAndCopiesNothing()
    {
        StationFixture f;
        completeProgramFolder(f);
        // The mapped drive already leads to a file server's folder.
        QDir().mkpath(f.serverFolder());
        QFile::copy(f.program.file(QStringLiteral("db.mdb")), f.sharedDb());
        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsNo);
        f.dialogs.answerInput(f.serverFolder() + QLatin1Char('/'));
        net->next();
        const StationRecord s = Station::read(f.state.paths().stationDbPath());
        QCOMPARE(s.server, f.serverFolder());
        QVERIFY(s.net);
        QVERIFY(!s.main);
        QCOMPARE(QDir(f.serverFolder()).entryList(QDir::Files), QStringList{QStringLiteral("db.mdb")});
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmSplash"));
    }

    void secondStartGoesStraightToSplash()
    {
        StationFixture f;
        completeProgramFolder(f);
        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(f.serverFolder());
        net->next();
        StationFixture::closeAllWindows();
        f.dialogs.clear();
        QCOMPARE(ShellWindows::startUp(f.state)->objectName(), QStringLiteral("frmSplash"));
        QCOMPARE(f.dialogs.count(), 0);
    }

    void fileNamedLikeServerFolderEndsInstallation()
    {
        StationFixture f;
        completeProgramFolder(f);
        const QString path = f.disk.file(QStringLiteral("server"));
        QFile blocker(path);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(path);
        net->next();
        QCOMPARE(f.dialogs.last().text,
                 QStringLiteral("A file with identical name as your designated server already exists. Please "
                                "delete/move that file or change the name of your server directory."));
        QCOMPARE(f.dialogs.last().title, QStringLiteral("File Server Path"));
        QVERIFY(!Station::read(f.state.paths().stationDbPath()).net);
        QVERIFY(f.switcher.programEnded());
        QVERIFY(!net->isVisible());
        QVERIFY(QFileInfo(path).isFile());
    }

    void cancelledFolderAsksAgainOrEnds()
    {
        {
            StationFixture f;
            completeProgramFolder(f);
            NetworkWindow *net = showInstallation(f);
            f.dialogs.answer(Dialogs::AnsYes); // file server
            f.dialogs.cancelInput();
            f.dialogs.answer(Dialogs::AnsYes); // continue
            f.dialogs.answer(Dialogs::AnsNo);  // then a client after all
            f.dialogs.answerInput(QString());  // empty drive: from the start again
            f.dialogs.answer(Dialogs::AnsNo);
            const QString elsewhere = f.drive(QStringLiteral("elsewhere"));
            QFile::copy(f.program.file(QStringLiteral("db.mdb")), QDir(elsewhere).filePath(QStringLiteral("db.mdb")));
            f.dialogs.answerInput(elsewhere);
            net->next();
            QCOMPARE(f.dialogs.texts().count(StationQuestion), 3);
            QCOMPARE(f.dialogs.shown().at(2).title, QStringLiteral("Designate File Server"));
            QCOMPARE(Station::read(f.state.paths().stationDbPath()).server, f.disk.file(QStringLiteral("elsewhere")));
        }
        {
            StationFixture f;
            NetworkWindow *net = showInstallation(f);
            f.dialogs.answer(Dialogs::AnsYes);
            f.dialogs.answerInput(QString());
            f.dialogs.answer(Dialogs::AnsNo);
            net->next();
            QVERIFY(f.switcher.programEnded());
            QVERIFY(!Station::read(f.state.paths().stationDbPath()).net);
            QVERIFY(!f.dialogs.pendingAnswers());
        }
    }

    void failedCopyReportsInvalidPathAndLeavesStationUninstalled()
    {
        StationFixture f; // no downsize or Info.doc in the program folder
        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(f.serverFolder());
        net->next();
        QCOMPARE(f.dialogs.last().text, NetworkWindow::InvalidPathText);
        const StationRecord s = Station::read(f.state.paths().stationDbPath());
        QVERIFY(!s.net);
        QVERIFY(f.switcher.programEnded());
        QVERIFY(!StationFixture::window(QStringLiteral("frmSplash")));
    }

    void reinstallingKeepsTheSharedDatabaseUnlessToldAndThenKeepsACopy()
    {
        StationFixture f;
        completeProgramFolder(f);
        f.install(true);
        {
            Database shared(f.sharedDb());
            shared.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate, Data) VALUES ('2026-11-30', 'Ann Lee')"));
        }
        // The station that starts registers itself in the file, so the page is what must be kept.
        auto holdsThePage = [](const QString &path) {
            return Database(path)
                       .scalar(QStringLiteral("SELECT Data FROM tbl_Appt WHERE caldate = '2026-11-30'"))
                       .toString()
                   == QLatin1String("Ann Lee");
        };
        Station::setNet(f.state.paths().stationDbPath(), false);

        // Enter on the question keeps it.
        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(f.serverFolder());
        f.dialogs.answer(Dialogs::AnsNo);
        net->next();
        const ScriptedDialogs::Shown question = f.dialogs.shown().at(2);
        QCOMPARE(question.buttons, Dialogs::YesNoDefaultNo);
        QVERIFY(question.text.contains(QDir::toNativeSeparators(f.sharedDb())));
        QVERIFY2(question.text.contains(QLatin1String("Monday 30 November 2026")), qPrintable(question.text));
        QVERIFY(holdsThePage(f.sharedDb()));
        QCOMPARE(QDir(f.serverFolder()).entryList({QStringLiteral("*.mdb")}), QStringList{QStringLiteral("db.mdb")});
        QVERIFY(QFileInfo::exists(QDir(f.serverFolder()).filePath(QStringLiteral("Info.doc"))));
        QVERIFY(Station::read(f.state.paths().stationDbPath()).net);

        // Yes replaces it, the old file first kept beside it.
        StationFixture::closeAllWindows();
        Station::setNet(f.state.paths().stationDbPath(), false);
        f.dialogs.clear();
        net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(f.serverFolder());
        f.dialogs.answer(Dialogs::AnsYes);
        net->next();
        QCOMPARE(fileHash(f.sharedDb()), fileHash(f.program.file(QStringLiteral("db.mdb"))));
        const QStringList kept = QDir(f.serverFolder()).entryList({QStringLiteral("db-*.mdb")});
        QCOMPARE(kept.size(), 1);
        QVERIFY(f.dialogs.shown().at(2).text.contains(kept.first()));
        QVERIFY(holdsThePage(QDir(f.serverFolder()).filePath(kept.first())));
        QVERIFY(!holdsThePage(f.sharedDb()));
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmSplash"));

        // While another station runs on the file it is never replaced, and no question offers it.
        {
            Database(f.sharedDb())
                .execute(QStringLiteral("INSERT INTO tbl_Appt (caldate, Data) VALUES ('2026-11-30', 'Ann Lee')"));
        }
        StationFixture::closeAllWindows();
        f.state.registration().heartbeat.stop(); // as at a fresh start, before the menu registers it
        StationHeartbeat other;
        other.start(f.sharedDb());
        Station::setNet(f.state.paths().stationDbPath(), false);
        f.dialogs.clear();
        net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(f.serverFolder());
        net->next();
        const ScriptedDialogs::Shown refusal = f.dialogs.shown().at(2);
        QCOMPARE(refusal.buttons, Dialogs::Ok);
        QVERIFY2(refusal.text.contains(QLatin1String("1 other station is open")), qPrintable(refusal.text));
        QVERIFY(holdsThePage(f.sharedDb()));
        QCOMPARE(QDir(f.serverFolder()).entryList({QStringLiteral("db-*.mdb")}).size(), 1);
    }

    void typedPathIsTrimmedAndTakenFromTheStationFolder()
    {
        StationFixture f;
        completeProgramFolder(f);
        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(QStringLiteral("  shared/server/ "));
        net->next();
        const QString expected = QDir(f.program.path()).filePath(QStringLiteral("shared/server"));
        QCOMPARE(Station::read(f.state.paths().stationDbPath()).server, expected);
        QVERIFY(QFileInfo(QDir(expected).filePath(QStringLiteral("db.mdb"))).isFile());
    }

    void clientInstallationNeedsTheSharedDatabase()
    {
        StationFixture f;
        completeProgramFolder(f);
        const QString empty = f.drive(QStringLiteral("empty"));
        NetworkWindow *net = showInstallation(f);
        f.dialogs.answer(Dialogs::AnsNo);
        f.dialogs.answerInput(empty);
        f.dialogs.answer(Dialogs::AnsOk);
        f.dialogs.answer(Dialogs::AnsYes); // asked again from the start
        f.dialogs.cancelInput();
        f.dialogs.answer(Dialogs::AnsNo);
        net->next();
        QVERIFY(f.dialogs.texts().at(2).contains(QDir::toNativeSeparators(empty)));
        QVERIFY(f.dialogs.texts().at(2).contains(QLatin1String("db.mdb")));
        QVERIFY(!Station::read(f.state.paths().stationDbPath()).net);
    }

    void missingSharedDatabaseAtStartOffersTheInstallationWindow()
    {
        StationFixture f;
        f.install(false);
        QFile::remove(f.sharedDb()); // the server folder went away after a good installation
        f.dialogs.answer(Dialogs::AnsYes);
        QWidget *first = ShellWindows::startUp(f.state);
        QVERIFY(first);
        QCOMPARE(first->objectName(), QStringLiteral("frmNet"));
        QVERIFY(first->isVisible());
        QCOMPARE(f.dialogs.count(), 1);
        QVERIFY(f.dialogs.last().text.contains(QDir::toNativeSeparators(f.sharedDb())));
        QVERIFY(!f.switcher.programEnded());
    }

    void trailingSeparatorIsDropped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("backslash") << "C:\\server\\"
                                   << "C:\\server";
        QTest::newRow("slash") << "/srv/server/"
                               << "/srv/server";
        QTest::newRow("only one") << "Z:\\\\"
                                  << "Z:\\";
        QTest::newRow("none") << "Z:"
                              << "Z:";
        QTest::newRow("root stays") << "/"
                                    << "/";
    }
    void trailingSeparatorIsDropped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(Installation::stripTrailingSeparator(typed), stored);
    }
};
TORVANE_TEST(InstallationTest)
#include "InstallationTest.moc"
