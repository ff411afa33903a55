#include "StationFixture.h"
#include "booking/BookingDesk.h"
#include "booking/BookingEntries.h"
#include "booking/BookingFlow.h"
#include "booking/DayPageBooking.h"
#include "core/Colors.h"
#include "core/GridView.h"
#include "daypage/DayPage.h"
#include "daypage/DayPageWindow.h"
#include "setup/OfficeSetupWindow.h"
#include "shell/MainMenuWindow.h"
#include "store/Database.h"
#include "store/StationRegistry.h"

#include <QClipboard>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <utility>

namespace {
// Next week's Wednesday, Thursday and Friday: dates from today on, never a closed Sunday.
QDate nextWeek(int dayOfWeek)
{
    const QDate today = QDate::currentDate();
    return today.addDays(7 + dayOfWeek - today.dayOfWeek());
}

// The file-server station at its main menu.
struct SetupStation : StationFixture {
    std::unique_ptr<Database> db;
    explicit SetupStation(bool onServer)
    {
        if (onServer)
            installOnServer(true);
        else
            install(true);
        db = std::make_unique<Database>(sharedOpened());
        state.registration().timeoutMs = 60000;
    }
    QString setting(const char *field)
    {
        return db->scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_Setup\"").arg(QLatin1String(field))).toString();
    }
    QString page(const QDate &d, const char *field)
    {
        return db
            ->scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_Appt\" WHERE caldate = ?").arg(QLatin1String(field)), {d})
            .toString();
    }
    QString current() const { return switcher.current() ? switcher.current()->objectName() : QString(); }

    // Main menu entry 2, then setup menu entry 1, by their digit keys.
    OfficeSetupWindow *openSetup()
    {
        MainMenuWindow *menu = MainMenuWindow::load(state);
        switcher.show(menu);
        QTest::keyClick(menu->entryButton(1), Qt::Key_2);
        QWidget *setupMenu = switcher.current();
        if (!setupMenu || setupMenu->windowTitle() != QLatin1String("Setup Menu"))
            return nullptr;
        QTest::keyClick(setupMenu, Qt::Key_1);
        auto *w = qobject_cast<OfficeSetupWindow *>(switcher.current());
        if (w) {
            w->activateWindow();
            if (!QTest::qWaitForWindowActive(w))
                return nullptr;
        }
        return w;
    }

    // A booking saved through the booking record's own path, as another station makes it.
    void book(const QDate &date, int row, int col, const QString &name)
    {
        ScriptedDialogs quiet;
        AppState other;
        other.paths().setProgramFolder(program.path());
        other.paths().setServerFolder(serverFolder());
        other.setDialogs(&quiet);
        DayPage page(other);
        page.openDatabase(sharedOpened());
        page.readLocation();
        QVERIFY(page.openDate(date));
        DayPageBooking view(page);
        BookingDesk desk;
        BookingFlow flow(other, view, desk);
        QVERIFY(flow.claim(row, col) && flow.open());
        flow.activate();
        BookingEntries e = emptyBookingEntries();
        e[BookingEntry::Name] = name;
        e[BookingEntry::time(0)] = QStringLiteral("1");
        e[BookingEntry::TTime] = BookingFlow::totalTime(e);
        flow.timeEdited();
        flow.saveCommand(e);
        QCOMPARE(page.store().find(date)->data.contains(name), true);
    }
};

QLineEdit *box(QWidget *w, const char *name) { return w->findChild<QLineEdit *>(QLatin1String(name)); }

// Types over a box and leaves it with Tab, so its rule runs.
void type(QWidget *w, const char *name, const QString &text)
{
    QLineEdit *e = box(w, name);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Tab);
}

// A cell of the technician grid typed over through the floating edit box.
void typeCell(QWidget *w, int row, int col, const QString &text)
{
    auto *grid = w->findChild<GridView *>(QStringLiteral("Grid1"));
    grid->setFocus();
    grid->grid()->setCurrentCell(row, col);
    QTest::keyClick(grid, text.at(0).toLatin1());
    QLineEdit *edit = box(w, "txtEdit");
    QVERIFY(edit->isVisible());
    QTest::keyClicks(edit, text.mid(1));
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(!edit->isVisible());
}

void okay(QWidget *w) { QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdOkay")), Qt::LeftButton); }

// A technician count typed and taken with Enter.
void enterCount(QWidget *w, const QString &count)
{
    QLineEdit *e = box(w, "txtListno");
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, count);
    QTest::keyClick(e, Qt::Key_Return);
}

// The time labels of the rows whose first technician cell is a grey lunch cell.
QStringList lunchRows(GridModel &g)
{
    QStringList out;
    for (int r = 6; r < g.rows(); ++r)
        if (g.cellBackColor(r, 1) == LunchColor)
            out << g.text(r, 0).trimmed();
    return out;
}

// Runs another station's step while a message of this title is shown.
struct HookedDialogs : ScriptedDialogs {
    QString title;
    std::function<void()> step;

protected:
    Answer present(const QString &text, const QString &shownTitle, Buttons buttons, Icon icon) override
    {
        if (step && shownTitle == title)
            std::exchange(step, {})();
        return ScriptedDialogs::present(text, shownTitle, buttons, icon);
    }
};
} // namespace

// On both engines: the settings are the server's as they are the file's.
class OfficeSetupTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit OfficeSetupTest(bool onServer) : m_onServer(onServer) {}

private slots:
    // The whole path: the office changes its name, hours, slot length and technicians while a
    // booking next week sits in the fourth column.
    void newSettingsRemakeUntouchedPagesAndKeepBookedOnes()
    {
        SetupStation s(m_onServer);
        const QDate booked = nextWeek(3), untouched = nextWeek(4), holiday = nextWeek(5), today = QDate::currentDate();
        s.book(booked, 8, 4, QStringLiteral("Lee"));
        {
            AppState other;
            ScriptedDialogs quiet;
            other.setDialogs(&quiet);
            DayPage page(other);
            page.openDatabase(s.sharedOpened());
            QVERIFY(page.openDate(untouched));
            QVERIFY(page.openDate(holiday));
            page.setClosed(true);
            QVERIFY(page.openDate(today));
        }
        // Today's page made already, and kept by its memo.
        s.db->execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Memo\" = 'Keys at the desk' WHERE caldate = ?"),
                      {today});
        const QString seedSkills = s.setting("Skills");
        const QString seedCwidth = s.setting("cwidth");

        OfficeSetupWindow *w = s.openSetup();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("  General Setup"));
        QCOMPARE(box(w, "txtOpenHour")->text(), QStringLiteral("08"));
        type(w, "txtLocation", QStringLiteral("Garage"));
        type(w, "txtOpenHour", QStringLiteral("7"));
        QCOMPARE(box(w, "txtOpenHour")->text(), QStringLiteral("07"));
        type(w, "txtOpenMin", QStringLiteral("30"));
        type(w, "txtCloseHour", QStringLiteral("4"));
        type(w, "txtSlot", QStringLiteral("20"));
        QLineEdit *count = box(w, "txtListno");
        count->setFocus();
        count->selectAll();
        QTest::keyClicks(count, QStringLiteral("3"));
        QTest::keyClick(count, Qt::Key_Return);
        QCOMPARE(w->setup().count(), 3);
        typeCell(w, 2, 1, QStringLiteral("Al"));
        typeCell(w, 2, 2, QStringLiteral("Bo"));
        typeCell(w, 2, 3, QStringLiteral("Cy"));

        // Answered No: nothing changes.
        s.dialogs.clear();
        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsNo);
        okay(w);
        QCOMPARE(s.dialogs.titles(),
                 (QStringList{QStringLiteral("Changed time settings"), QStringLiteral("Save new settings")}));
        const QString question = s.dialogs.last().text;
        QVERIFY2(question.contains(QLocale(QLocale::English).toString(booked, QStringLiteral("dddd d MMMM yyyy")))
                     && question.contains(QLatin1String("column 4")),
                 qPrintable(question));
        QCOMPARE(s.current(), QStringLiteral("frmSetup"));
        QCOMPARE(s.setting("location"), QStringLiteral("Office"));
        QCOMPARE(s.setting("Listno"), QStringLiteral("4"));
        QCOMPARE(s.setting("Skills"), seedSkills);
        QCOMPARE(s.setting("cwidth"), seedCwidth);
        QCOMPARE(s.page(booked, "Listno"), QStringLiteral("4"));
        QVERIFY(!s.page(untouched, "caldate").isEmpty());

        // Answered Yes, then no templates: the day page.
        s.dialogs.clear();
        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsYes);
        s.dialogs.answer(Dialogs::AnsOk); // template cells of no time slot in the new hours
        s.dialogs.answer(Dialogs::AnsNo);
        okay(w);
        QCOMPARE(s.dialogs.titles().last(), QStringLiteral("Configure Page Templates"));
        QVERIFY(!s.dialogs.texts().contains(QStringLiteral("You will have to reconfigure the techs' skill levels.")));
        QCOMPARE(s.current(), QStringLiteral("frmAppt"));
        QCOMPARE(s.setting("location"), QStringLiteral("Garage"));
        QCOMPARE(s.setting("open"), QStringLiteral("07:30 AM"));
        QCOMPARE(s.setting("Close"), QStringLiteral("04:00 PM"));
        QCOMPARE(s.setting("timeslot"), QStringLiteral("20"));
        QCOMPARE(s.setting("Names"), QStringLiteral("Al%Bo%Cy%"));
        QCOMPARE(s.setting("Skills"), seedSkills.split(QLatin1Char('%')).mid(0, 3).join(QLatin1Char('%')));
        QCOMPARE(s.setting("cwidth").count(QLatin1Char('%')), 4);
        // The booked page keeps its times and shows the new technicians; the holiday stays closed.
        QCOMPARE(s.page(booked, "open"), QStringLiteral("08:00 AM"));
        QCOMPARE(s.page(booked, "timeslot"), QStringLiteral("30"));
        QCOMPARE(s.page(booked, "Names"), QStringLiteral("Al%Bo%Cy%"));
        QCOMPARE(s.page(holiday, "Clinic"), QStringLiteral("1"));
        QCOMPARE(s.page(untouched, "caldate"), QString());

        auto *day = qobject_cast<DayPageWindow *>(s.switcher.current());
        QVERIFY(day->page().openDate(today));
        QCOMPARE(day->page().grid().cols(), 4);
        QCOMPARE(day->page().grid().text(1, 3), QStringLiteral("Cy"));
        QCOMPARE(s.page(today, "open"), QStringLiteral("08:00 AM"));
        for (const QDate &d : {untouched, nextWeek(9)}) {
            QVERIFY(day->page().openDate(d));
            GridModel &g = day->page().grid();
            QCOMPARE(g.text(1, 1), QStringLiteral("Al"));
            QCOMPARE(g.cols(), 4);
            QCOMPARE(g.text(6, 0).trimmed(), QStringLiteral("07:30 AM"));
            QCOMPARE(g.text(7, 0).trimmed(), QStringLiteral("07:50 AM"));
        }
        QVERIFY(day->page().openDate(booked));
        QCOMPARE(day->page().grid().text(6, 0).trimmed(), QStringLiteral("08:00 AM"));
        QCOMPARE(day->page().grid().text(1, 3), QStringLiteral("Cy"));
    }

    // A refused save writes nothing at all; the save keeps the skills as stored when it writes,
    // and a fifth technician starts without skills.
    void refusedSaveWritesNothingAndSkillsAreTakenAsStoredAtSaving()
    {
        SetupStation s(m_onServer);
        const QString seedSkills = s.setting("Skills");
        OfficeSetupWindow *w = s.openSetup();
        QVERIFY(w);
        type(w, "txtCloseHour", QStringLiteral("7"));
        type(w, "txtCloseMin", QStringLiteral("30"));
        type(w, "txtCloseAmPm", QStringLiteral("am"));
        QCOMPARE(box(w, "txtCloseAmPm")->text(), QStringLiteral("AM"));
        box(w, "txtListno")->setText(QStringLiteral("5"));
        s.dialogs.clear();
        okay(w);
        QCOMPARE(s.dialogs.last().text, QStringLiteral("Closing time earlier than Opening time!"));
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Time Setting Error"));
        QTRY_COMPARE(QApplication::focusWidget(), box(w, "txtCloseHour"));
        QCOMPARE(s.setting("Skills"), seedSkills);
        QCOMPARE(s.setting("Listno"), QStringLiteral("4"));
        QCOMPARE(s.setting("Close"), QStringLiteral("05:00 PM"));

        // Another window ticks a skill while this one is open.
        QStringList skills = seedSkills.split(QLatin1Char('%'));
        skills[1] = QStringLiteral("1 1 1 1 1 1 1 1 1 1 1");
        s.db->execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"Skills\" = ?"), {skills.join(QLatin1Char('%'))});

        // Equal times are a day of one slot.
        type(w, "txtCloseHour", QStringLiteral("8"));
        type(w, "txtCloseMin", QStringLiteral("0"));
        s.dialogs.clear();
        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsYes);
        okay(w);
        QCOMPARE(s.dialogs.texts().last(), QStringLiteral("You will have to reconfigure the techs' skill levels."));
        QCOMPARE(s.setting("Close"), QStringLiteral("08:00 AM"));
        QCOMPARE(s.setting("Skills"), skills.join(QLatin1Char('%')) + QStringLiteral("%0 0 0 0 0 0 0 0 0 0 0"));
        // Yes to the templates: the template editor.
        QCOMPARE(s.current(), QStringLiteral("frmTemplates"));
    }

    // Another station running, or holding the file while Okay writes: told, and nothing stored.
    void anotherStationRefusesOrDelaysTheSaveAndNothingIsHalfWritten()
    {
        SetupStation s(m_onServer);
        OfficeSetupWindow *w = s.openSetup();
        QVERIFY(w);
        type(w, "txtLocation", QStringLiteral("Garage"));
        box(w, "txtListno")->setText(QStringLiteral("2"));
        Database other(s.sharedOpened());
        const qint64 id = StationRegistry::add(other);
        s.dialogs.clear();
        okay(w);
        QCOMPARE(s.dialogs.count(), 1);
        QCOMPARE(s.dialogs.last().text, QStringLiteral("Please log out all client stations before saving new "
                                                       "settings.\n\n1 other station is open."));
        QCOMPARE(s.setting("location"), QStringLiteral("Office"));
        StationRegistry::remove(other, id);

        // A station that starts while the note on time settings is open: the save itself refuses.
        HookedDialogs hooked;
        hooked.title = QStringLiteral("Changed time settings");
        qint64 late = 0;
        hooked.step = [&] { late = StationRegistry::add(other); };
        s.state.setDialogs(&hooked);
        okay(w);
        s.state.setDialogs(&s.dialogs);
        QVERIFY(late != 0);
        QCOMPARE(hooked.last().text, QStringLiteral("Please log out all client stations before saving new "
                                                    "settings.\n\n1 other station is open."));
        QCOMPARE(s.setting("location"), QStringLiteral("Office"));
        QCOMPARE(s.current(), QStringLiteral("frmSetup"));
        StationRegistry::remove(other, late);

        other.begin();
        s.dialogs.clear();
        okay(w);
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Save new settings"));
        QVERIFY(s.dialogs.last().text.startsWith(QLatin1String("Another station is writing")));
        other.rollback();
        QCOMPARE(s.setting("location"), QStringLiteral("Office"));
        QCOMPARE(s.setting("Listno"), QStringLiteral("4"));
        QCOMPARE(s.current(), QStringLiteral("frmSetup"));

        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsNo);
        okay(w);
        QCOMPARE(s.setting("location"), QStringLiteral("Garage"));
        QCOMPARE(s.setting("Listno"), QStringLiteral("2"));
    }

    // Counts typed one after another before Okay store nothing until then (so closing the window
    // keeps the stored settings), and a technician dropped and brought back has their width again.
    void typedCountsStoreNothingBeforeOkayAndKeepEveryColumn()
    {
        SetupStation s(m_onServer);
        const QString seedCwidth = s.setting("cwidth");
        OfficeSetupWindow *w = s.openSetup();
        QVERIFY(w);
        type(w, "txtLocation", QStringLiteral("Garage"));
        w->setup().grid().setColWidth(2, 2500); // as dragged
        typeCell(w, 2, 4, QStringLiteral("Kim"));
        for (const char *count : {"32", "1", "6"})
            enterCount(w, QLatin1String(count));
        QCOMPARE(s.setting("cwidth"), seedCwidth);
        QCOMPARE(s.setting("location"), QStringLiteral("Office"));
        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsNo); // no templates
        okay(w);
        QCOMPARE(s.current(), QStringLiteral("frmAppt"));
        QCOMPARE(s.setting("cwidth").section(QLatin1Char('%'), 0, 4), QStringLiteral("1100%1900%2500%1900%1900"));
        QCOMPARE(s.setting("Names"), QStringLiteral("Mike Dunn%Sue Park%Tony Russo%Kim%%%"));
    }

    // New opening hours and slot lengths keep every blocked template cell at its clock time; a
    // cell whose time has no row any more is dropped and named.
    void newHoursKeepTemplatesAtTheirClockTimes()
    {
        struct EnglishDayNames {
            EnglishDayNames() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
            ~EnglishDayNames() { QLocale::setDefault(QLocale::system()); }
        } english;
        SetupStation s(m_onServer);
        const QDate monday(2031, 3, 3), tuesday(2031, 3, 4);
        OfficeSetupWindow *w = s.openSetup();
        QVERIFY(w);
        type(w, "txtOpenHour", QStringLiteral("7"));
        type(w, "txtOpenMin", QStringLiteral("30"));
        type(w, "txtSlot", QStringLiteral("15"));
        s.dialogs.clear();
        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsNo);
        okay(w);
        QCOMPARE(s.dialogs.titles(),
                 (QStringList{QStringLiteral("Changed time settings"), QStringLiteral("Configure Page Templates")}));
        auto *day = qobject_cast<DayPageWindow *>(s.switcher.current());
        QVERIFY(day && day->page().openDate(monday));
        QCOMPARE(lunchRows(day->page().grid()), (QStringList{"12:00 PM", "12:15 PM", "12:30 PM", "12:45 PM"}));
        QCOMPARE(day->page().grid().text(4, 1), QStringLiteral("8")); // starting hours stay

        w = s.openSetup();
        QVERIFY(w);
        type(w, "txtOpenHour", QStringLiteral("8"));
        type(w, "txtOpenMin", QStringLiteral("0"));
        type(w, "txtSlot", QStringLiteral("60"));
        s.dialogs.clear();
        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsOk);
        s.dialogs.answer(Dialogs::AnsNo);
        okay(w);
        QCOMPARE(s.dialogs.count(), 3);
        const QString dropped = s.dialogs.shown().at(1).text;
        for (const char *line :
             {"Monday 12:15 PM, columns 1, 2, 3, 4: LUNCH\n", "Friday 12:45 PM, columns 1, 2, 3, 4: LUNCH\n",
              "Saturday 01:30 PM, columns 1, 2, 3, 4: - - - -\n"})
            QVERIFY2(dropped.contains(QLatin1String(line)), qPrintable(dropped));
        QVERIFY2(!dropped.contains(QLatin1String("12:00 PM")) && !dropped.contains(QLatin1String("Sunday")),
                 qPrintable(dropped));
        day = qobject_cast<DayPageWindow *>(s.switcher.current());
        QVERIFY(day && day->page().openDate(tuesday));
        QCOMPARE(lunchRows(day->page().grid()), QStringList{"12:00 PM"});
    }

    // Values the old rules let through become rows of no height or times that do not exist: the
    // box keeps the focus until it holds a value its rule keeps.
    void refusedBoxKeepsTheFocusAndPercentNeverReachesAName()
    {
        SetupStation s(m_onServer);
        OfficeSetupWindow *w = s.openSetup();
        QVERIFY(w);
        const struct {
            const char *box, *typed, *kept; // kept empty: refused
        } rules[] = {{"txtOpenMin", "60", ""},     {"txtOpenMin", "5", "05"},  {"txtOpenHour", "13", ""},
                     {"txtOpenHour", "8", "08"},   {"txtCloseHour", "00", ""}, {"txtCloseHour", "4", "04"},
                     {"txtCloseAmPm", "XX", "PM"}, {"txtSlot", "9", ""},       {"txtSlot", "240", "240"},
                     {"txtRHT", "0", ""},          {"txtRHT", "7", ""},        {"txtRHT", "6", "6"},
                     {"txtListno", "0", "1"},      {"txtListno", "40", "32"}};
        for (const auto &rule : rules) {
            type(w, rule.box, QLatin1String(rule.typed));
            if (*rule.kept)
                QCOMPARE(box(w, rule.box)->text(), QLatin1String(rule.kept));
            else
                QTRY_COMPARE(QApplication::focusWidget(), box(w, rule.box));
        }

        typeCell(w, 2, 1, QStringLiteral("A%l"));
        QGuiApplication::clipboard()->setText(QStringLiteral("x%y"));
        typeCell(w, 1, 2, QStringLiteral("B"));
        auto *grid = w->findChild<GridView *>(QStringLiteral("Grid1"));
        grid->grid()->setCurrentCell(1, 2);
        QTest::keyClick(grid, Qt::Key_Return);
        QTest::keyClick(box(w, "txtEdit"), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(box(w, "txtEdit"), Qt::Key_Return);
        QCOMPARE(w->setup().namesText().section(QLatin1Char('%'), 0, 0), QStringLiteral("Al"));
        QCOMPARE(grid->grid()->text(1, 2), QStringLiteral("B"));
    }
};
class OfficeSetupTestFile : public OfficeSetupTest {
    Q_OBJECT
public:
    OfficeSetupTestFile() : OfficeSetupTest(false) {}
};
class OfficeSetupTestPg : public OfficeSetupTest {
    Q_OBJECT
public:
    OfficeSetupTestPg() : OfficeSetupTest(true) {}
};
static testreg::AddOnBothEngines<OfficeSetupTestFile, OfficeSetupTestPg> s_setup("OfficeSetupTest",
                                                                                 "OfficeSetupTestPg");
#include "OfficeSetupTest.moc"
