#include "StationFixture.h"
#include "TestRegistry.h"
#include "booking/BookingDesk.h"
#include "booking/BookingWindow.h"
#include "booking/DayPageBooking.h"
#include "booking/PicklistWindow.h"
#include "daypage/DayPage.h"
#include "daypage/DayPageWindow.h"
#include "setup/LabelColorsWindow.h"
#include "setup/OfficeSetupWindow.h"
#include "setup/SetupMenuWindow.h"
#include "shell/MainMenuWindow.h"
#include "store/Database.h"
#include "store/StationRegistry.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
struct MenuStation : StationFixture {
    std::unique_ptr<Database> db;
    MenuStation()
    {
        install(true);
        db = std::make_unique<Database>(sharedDb());
    }
    QString current() const { return switcher.current() ? switcher.current()->objectName() : QString(); }
    SetupMenuWindow *openMenu()
    {
        MainMenuWindow *menu = MainMenuWindow::load(state);
        switcher.show(menu);
        menu->choose(MainMenuWindow::SetupPage);
        return qobject_cast<SetupMenuWindow *>(switcher.current());
    }
    QString setting(const char *field)
    {
        return db->scalar(QStringLiteral("SELECT %1 FROM tbl_Setup").arg(QLatin1String(field))).toString();
    }
};
} // namespace

class SetupMenuTest : public QObject {
    Q_OBJECT
private slots:
    void entriesOpenTheirWindowsAndComeBack()
    {
        MenuStation s;
        SetupMenuWindow *menu = s.openMenu();
        QVERIFY(menu);
        QCOMPARE(menu->windowTitle(), QStringLiteral("Setup Menu"));
        QCOMPARE(menu->entryButton(1)->text(), QStringLiteral("     1.   General Setup"));
        QCOMPARE(menu->entryButton(10)->text(), QStringLiteral("   10.   Exit"));

        // A picklist editor: the menu hides, and shows again when the editor closes.
        QTest::keyClick(menu->entryButton(1), Qt::Key_4);
        PicklistWindow *editor = menu->desk().picklists().find(PicklistKind::Mainten);
        QVERIFY(editor && editor->isVisible() && !editor->pickMode());
        QVERIFY(!menu->isVisible());
        editor->close();
        QVERIFY(menu->isVisible());

        // Info Sheet without its document: the menu stays.
        QFile::remove(QDir(s.serverFolder()).filePath(QStringLiteral("Info.doc")));
        s.dialogs.clear();
        QTest::keyClick(menu->entryButton(9), Qt::Key_Space);
        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("File not found")});
        QCOMPARE(s.current(), QStringLiteral("frmSetupMenu"));

        // The close box goes back to the main menu, and so does Exit.
        menu->close();
        QCOMPARE(s.current(), QStringLiteral("frmMain"));
        menu = s.openMenu();
        QTest::mouseClick(menu->entryButton(10), Qt::LeftButton);
        QCOMPARE(s.current(), QStringLiteral("frmMain"));

        // The office setup's close box goes back to the setup menu.
        menu = s.openMenu();
        QTest::keyClick(menu->entryButton(1), Qt::Key_Return);
        QCOMPARE(s.current(), QStringLiteral("frmSetup"));
        s.switcher.current()->close();
        QCOMPARE(s.current(), QStringLiteral("frmSetupMenu"));
    }

    // The booking form leaves a multi-pick editor open in pick mode; the menu still gets an
    // editor it can type in, and comes back when that closes.
    void pickModeEditorLeftOpenComesBackInEditMode()
    {
        MenuStation s;
        SetupMenuWindow *menu = s.openMenu();
        {
            DayPage page(s.state);
            page.openDatabase(s.sharedDb());
            QVERIFY(page.openDate(QDate(2031, 3, 3)));
            DayPageBooking view(page);
            view.claimSlot(8, 2);
            auto form = std::make_unique<BookingWindow>(s.state, view, menu->desk(),
                                                        BookingCell{page.record().date, 8, 2, page.bookingColor(), {}});
            QVERIFY(form->load());
            form->show();
            QTest::mouseClick(form->findChild<QLineEdit *>(QStringLiteral("txtMenu1")), Qt::LeftButton);
        }
        QPointer<PicklistWindow> pick = menu->desk().picklists().find(PicklistKind::MenuItems);
        QVERIFY(pick && pick->isVisible() && pick->pickMode());

        QTest::keyClick(menu->entryButton(1), Qt::Key_5);
        PicklistWindow *edit = menu->desk().picklists().find(PicklistKind::MenuItems);
        QTRY_VERIFY(!pick);
        QVERIFY(edit && edit->isVisible() && !edit->pickMode());
        QVERIFY(!edit->findChild<QLineEdit *>(QStringLiteral("txtM0"))->isReadOnly());
        QVERIFY(!menu->isVisible());
        edit->close();
        QVERIFY(menu->isVisible());
    }

    void captionsAreStoredTrimmedInTheirPlacesAndReachTheDayPage()
    {
        MenuStation s;
        SetupMenuWindow *menu = s.openMenu();
        QTest::keyClick(menu->entryButton(1), Qt::Key_2);
        auto *w = qobject_cast<LabelColorsWindow *>(s.switcher.current());
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Label Colors"));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto text1 = [&](int i) { return w->findChild<QLineEdit *>(QStringLiteral("Text1_%1").arg(i)); };
        QCOMPARE(text1(0)->text(), QStringLiteral("Customer Waiting"));
        text1(0)->clear();
        QTest::keyClicks(text1(0), QStringLiteral("  Waiting 50%  "));
        QTest::keyClick(text1(0), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), text1(1));
        text1(3)->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("Ready%Now"));
        text1(4)->setFocus();
        text1(4)->selectAll();
        QTest::keyClick(text1(4), Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdSave")), Qt::LeftButton);
        QCOMPARE(s.setting("Lblcolors"), QStringLiteral("Waiting 50%Comeback%Parts Ordered%%Drop Off%Warranty%Fleet "
                                                        "Account%Quote Only"));
        QCOMPARE(s.current(), QStringLiteral("frmLabelColors"));

        // The day page shows the captions the next time it is shown.
        w->close();
        QCOMPARE(s.current(), QStringLiteral("frmSetupMenu"));
        s.switcher.current()->close();
        auto *main = qobject_cast<MainMenuWindow *>(s.switcher.current());
        main->choose(MainMenuWindow::Scheduler);
        auto *day = qobject_cast<DayPageWindow *>(s.switcher.current());
        QVERIFY(day);
        day->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(day));
        QTRY_COMPARE(day->findChild<QLabel *>(QStringLiteral("Label1_0"))->text(), QStringLiteral("Waiting 50"));
        QCOMPARE(day->findChild<QLabel *>(QStringLiteral("Label1_3"))->text(), QString());
    }
};
TORVANE_TEST(SetupMenuTest)
#include "SetupMenuTest.moc"
