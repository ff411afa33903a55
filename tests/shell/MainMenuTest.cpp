#include "StationFixture.h"
#include "TestRegistry.h"
#include "core/GridView.h"
#include "core/Programs.h"
#include "daypage/DayPageWindow.h"
#include "maint/BackupWindow.h"
#include "maint/NetworkWindow.h"
#include "setup/OfficeSetupWindow.h"
#include "shell/MainMenuWindow.h"
#include "store/Database.h"

#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
// A stand-in for the housekeeping program: leaves a note of where it ran from and its arguments.
void writeProgram(const QString &folder)
{
    const QString path = QDir(folder).filePath(downsizeFileName());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\necho \"$0 $*\" > \"$(dirname \"$0\")/started.txt\"\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

MainMenuWindow *showMenu(StationFixture &f, bool fileServer)
{
    f.install(fileServer);
    f.state.windows().setSetupMenu([](AppState &) {
        auto *w = new QWidget;
        w->setObjectName(QStringLiteral("frmSetupMenu"));
        return w;
    });
    MainMenuWindow *menu = MainMenuWindow::load(f.state);
    if (menu)
        f.switcher.show(menu);
    return menu;
}

QString currentName(StationFixture &f) { return f.switcher.current() ? f.switcher.current()->objectName() : QString(); }
} // namespace

class MainMenuTest : public QObject {
    Q_OBJECT
private slots:
    void captionsCarryNumberAndLabel()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        QCOMPARE(menu->windowTitle(), QStringLiteral("Main Menu"));
        QCOMPARE(menu->entryButton(1)->text(), QStringLiteral("     1.   Scheduler"));
        QCOMPARE(menu->entryButton(4)->text(), QStringLiteral("     4.   Back-up / Restore Files"));
        QCOMPARE(menu->entryButton(7)->text(), QStringLiteral("     7.   Exit"));
        QVERIFY(!menu->entryButton(6));
        QVERIFY(menu->holdsSharedDatabase());
    }

    void digitOpensItsEntryWhereverTheFocusIs_data()
    {
        QTest::addColumn<int>("focus");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("opens");
        QTest::newRow("1 from entry 4") << 4 << Qt::Key_1 << "frmAppt";
        QTest::newRow("1 from the readme button") << 0 << Qt::Key_1 << "frmAppt";
        QTest::newRow("2 from entry 7") << 7 << Qt::Key_2 << "frmSetupMenu";
        QTest::newRow("4 from entry 1") << 1 << Qt::Key_4 << "frmBackup";
    }
    void digitOpensItsEntryWhereverTheFocusIs()
    {
        QFETCH(int, focus);
        QFETCH(Qt::Key, key);
        QFETCH(QString, opens);
        StationFixture f;
        QPointer<MainMenuWindow> menu = showMenu(f, true);
        QWidget *target = focus ? static_cast<QWidget *>(menu->entryButton(focus))
                                : menu->findChild<QPushButton *>(QStringLiteral("cmdReadme"));
        QTest::keyClick(target, key);
        QCOMPARE(currentName(f), opens);
        QVERIFY(!menu || !menu->isVisible());
    }

    void digitsThreeFiveAndSevenRunTheirEntries()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        QTest::keyClick(menu->entryButton(1), Qt::Key_3);
        QCOMPARE(currentName(f), QStringLiteral("frmTemplates"));
        menu = MainMenuWindow::load(f.state);
        f.switcher.show(menu);
        f.dialogs.answer(Dialogs::AnsNo);
        QTest::keyClick(menu->entryButton(1), Qt::Key_5);
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Reminder!"));
        f.dialogs.answer(Dialogs::AnsNo);
        QTest::keyClick(menu->entryButton(1), Qt::Key_7);
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Back-up Files"));
        QVERIFY(f.switcher.programEnded());
    }

    void sixAndKeypadDigitsDoNothing()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, false);
        QTest::keyClick(menu->entryButton(4), Qt::Key_6);
        QTest::keyClick(menu->entryButton(4), Qt::Key_1, Qt::KeypadModifier);
        QTest::keyClick(menu->entryButton(4), Qt::Key_7, Qt::KeypadModifier);
        QCOMPARE(f.switcher.current(), menu);
        QVERIFY(menu->isVisible());
        QCOMPARE(f.dialogs.count(), 0);
        QVERIFY(!f.switcher.programEnded());
    }

    void enterSpaceAndMousePressRunTheEntry_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Space") << "space";
        QTest::newRow("mouse press") << "press";
    }
    void enterSpaceAndMousePressRunTheEntry()
    {
        QFETCH(QString, how);
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, false);
        QRadioButton *entry = menu->entryButton(1);
        if (how == QLatin1String("enter"))
            QTest::keyClick(entry, Qt::Key_Return);
        else if (how == QLatin1String("space"))
            QTest::keyPress(entry, Qt::Key_Space); // on the way down, not on release
        else
            QTest::mousePress(entry, Qt::LeftButton);
        QCOMPARE(currentName(f), QStringLiteral("frmAppt"));
    }

    void clientStationIsRefused_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("2") << 2 << "Sorry, Page Setup is available only at server station"
                           << "Template Setup";
        QTest::newRow("3") << 3 << "Sorry, Page Setup is available only at server station"
                           << "Template Setup";
        QTest::newRow("4") << 4 << "Sorry, File Backup / Restore function is available only at server station"
                           << "Template Setup";
        QTest::newRow("5") << 5 << "Sorry, housekeeping function is available only at server station"
                           << "Downsize datafile";
    }
    void clientStationIsRefused()
    {
        QFETCH(int, entry);
        QFETCH(QString, text);
        QFETCH(QString, title);
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, false);
        writeProgram(f.serverFolder());
        menu->choose(entry);
        QCOMPARE(f.dialogs.count(), 1);
        QCOMPARE(f.dialogs.last().text, text);
        QCOMPARE(f.dialogs.last().title, title);
        QCOMPARE(f.dialogs.last().buttons, Dialogs::Ok);
        QCOMPARE(f.switcher.current(), menu);
        QVERIFY(menu->isVisible());
        QVERIFY(menu->holdsSharedDatabase());
        QVERIFY(!QFile::exists(QDir(f.serverFolder()).filePath(QStringLiteral("started.txt"))));
    }

    void roleIsReadAfreshEachTime()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, false);
        menu->choose(4);
        QCOMPARE(f.dialogs.count(), 1);
        Station::write(f.state.paths().stationDbPath(), {f.serverFolder(), true, true});
        menu->choose(4);
        QCOMPARE(currentName(f), QStringLiteral("frmBackup"));
    }

    void notBackedUpChangesNothing()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        writeProgram(f.serverFolder());
        f.dialogs.answer(Dialogs::AnsNo);
        menu->choose(5);
        QCOMPARE(f.dialogs.last().text, QStringLiteral("Have you backed up your database?"));
        QCOMPARE(f.dialogs.last().buttons, Dialogs::YesNo);
        QCOMPARE(f.dialogs.last().icon, Dialogs::NoIcon);
        QVERIFY(menu->holdsSharedDatabase());
        QVERIFY(menu->isVisible());
        QVERIFY(!QFile::exists(QDir(f.serverFolder()).filePath(QStringLiteral("started.txt"))));
    }

    void backedUpStartsDownsizeFromServerFolder()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        writeProgram(f.serverFolder());
        writeProgram(f.program.path());
        f.dialogs.answer(Dialogs::AnsYes);
        menu->choose(5);
        const QString note = QDir(f.serverFolder()).filePath(QStringLiteral("started.txt"));
        QTRY_VERIFY(QFile::exists(note));
        QVERIFY(!QFile::exists(f.program.file(QStringLiteral("started.txt"))));
        // The menu registered this station; downsize is told its id, so it is not counted as open.
        Database shared(f.sharedDb());
        const qint64 id = f.state.registration().id;
        QCOMPARE(shared.scalar(QStringLiteral("SELECT count(*) FROM tbl_Station WHERE id = ?"), {id}).toInt(), 1);
        const auto noteText = [&] {
            QFile started(note);
            return started.open(QIODevice::ReadOnly) ? started.readAll().trimmed() : QByteArray();
        };
        QTRY_VERIFY(noteText().endsWith(QStringLiteral(" --station %1").arg(id).toUtf8()));
        QVERIFY(!menu->holdsSharedDatabase()); // released before the start
        QVERIFY(menu->isVisible());
        QCOMPARE(f.switcher.current(), menu);
        QVERIFY(!f.switcher.programEnded());
    }

    void readmeWithoutItsDatabaseSaysSoAndStays()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, false);
        QVERIFY(QFile::remove(f.state.paths().installDbPath()));
        QTest::mouseClick(menu->findChild<QPushButton *>(QStringLiteral("cmdReadme")), Qt::LeftButton);
        QCOMPARE(f.dialogs.count(), 1);
        QVERIFY(f.dialogs.last().text.contains(f.state.paths().installDbPath()));
        QVERIFY(!f.switcher.programEnded());
        QCOMPARE(currentName(f), QStringLiteral("frmMain"));
        QVERIFY(menu->isVisible());
    }

    void missingDownsizeEndsProgram()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        f.dialogs.answer(Dialogs::AnsYes);
        menu->choose(5);
        QVERIFY(f.dialogs.last().text.contains(downsizeFileName()));
        QVERIFY(f.switcher.programEnded());
    }

    void exitAsksAboutBackupOnlyOnFileServer()
    {
        {
            StationFixture f;
            MainMenuWindow *menu = showMenu(f, false);
            QTest::keyClick(menu, Qt::Key_7);
            QCOMPARE(f.dialogs.count(), 0);
            QVERIFY(f.switcher.programEnded());
            QVERIFY(!menu->isVisible());
        }
        {
            StationFixture f;
            MainMenuWindow *menu = showMenu(f, true);
            f.dialogs.answer(Dialogs::AnsNo);
            // Ctrl+Q, the desktop's Quit, is Exit.
            QVERIFY(QTest::qWaitForWindowActive(menu));
            QTest::keyClick(menu, Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(f.dialogs.count(), 1);
            QCOMPARE(f.dialogs.last().text,
                     QStringLiteral("Would you like to back-up your files now? Regular files back-up will minimize "
                                    "loss of data in case your hard disk crashes."));
            QCOMPARE(f.dialogs.last().title, QStringLiteral("Back-up Files"));
            QCOMPARE(f.dialogs.last().icon, Dialogs::Question);
            QVERIFY(f.switcher.programEnded());
        }
    }

    void ctrlQOnTheDayPageQuitsAsExitDoesKeepingWhatWasTyped()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        menu->choose(MainMenuWindow::Scheduler);
        auto *page = qobject_cast<DayPageWindow *>(f.switcher.current());
        QVERIFY(page);
        QVERIFY(QTest::qWaitForWindowActive(page));
        f.dialogs.answerInput(QDate(2031, 3, 3).toString(QLocale().dateFormat(QLocale::ShortFormat)));
        page->openTypedDate();
        QCOMPARE(page->page().record().date, QDate(2031, 3, 3));
        // A booking being typed, not saved yet.
        page->page().grid().setCurrentCell(8, 2);
        QTest::keyClick(page->grid(), Qt::Key_Return);
        QWidget *form = StationFixture::window(QStringLiteral("frmBooking"));
        QVERIFY(form);
        auto *name = form->findChild<QLineEdit *>(QStringLiteral("txtName"));
        QTest::keyClicks(name, QStringLiteral("Ann Lee"));
        f.dialogs.clear();

        f.dialogs.answer(Dialogs::AnsYes); // save the booking
        f.dialogs.answer(Dialogs::AnsNo);  // no back-up now
        QTest::keyClick(name, Qt::Key_Q, Qt::ControlModifier);

        QCOMPARE(f.dialogs.titles(), (QStringList{QStringLiteral("Booking Record"), QStringLiteral("Back-up Files")}));
        QVERIFY(f.switcher.programEnded());
        QVERIFY(!StationFixture::window(QStringLiteral("frmAppt")));
        QCOMPARE(Database(f.sharedDb())
                     .scalar(QStringLiteral("SELECT bName FROM tbl_Job WHERE bDate = ? AND bRow = 8 AND bCol = 2"),
                             {QDate(2031, 3, 3)})
                     .toString(),
                 QStringLiteral("Ann Lee"));
    }

    void exitWithBackupLeavesOnlyTheBackupWindow()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        auto *dayPage = new QWidget;
        dayPage->setObjectName(QStringLiteral("frmAppt"));
        dayPage->show();
        f.dialogs.answer(Dialogs::AnsYes);
        menu->choose(7);
        QVERIFY(!f.switcher.programEnded());
        QVERIFY(f.state.exitAfterBackup());
        QCOMPARE(currentName(f), QStringLiteral("frmBackup"));
        QVERIFY(!menu->isVisible());
        QVERIFY(!dayPage->isVisible());
        delete dayPage;
    }

    void closeBoxRunsExit()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        f.dialogs.answer(Dialogs::AnsNo);
        menu->close();
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Back-up Files"));
        QVERIFY(f.switcher.programEnded());
    }

    void fixedWindowsKeepRoomForTheirControls()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        std::vector<QWidget *> windows{menu, new OfficeSetupWindow(f.state), new BackupWindow(f.state),
                                       new NetworkWindow(f.state)};
        for (QWidget *w : windows) {
            w->show();
            w->resize(300, 300); // as small as a user may drag it
            QCoreApplication::processEvents();
            const QSize needed = w->layout()->totalMinimumSize();
            QVERIFY2(w->width() >= needed.width() && w->height() >= needed.height(),
                     qPrintable(QStringLiteral("%1 is %2 x %3, its controls need %4 x %5")
                                    .arg(w->objectName())
                                    .arg(w->width())
                                    .arg(w->height())
                                    .arg(needed.width())
                                    .arg(needed.height())));
        }
        for (QWidget *w : windows)
            if (w != menu)
                delete w;
    }

    void closingByProgramAsksNothing()
    {
        StationFixture f;
        MainMenuWindow *menu = showMenu(f, true);
        WindowSwitcher::closeByProgram(menu);
        QCOMPARE(f.dialogs.count(), 0);
        QVERIFY(!f.switcher.programEnded());
    }
};
TORVANE_TEST(MainMenuTest)
#include "MainMenuTest.moc"
