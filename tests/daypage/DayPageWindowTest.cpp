#include "daypage/DayPageWindow.h"
#include "ScriptedDialogs.h"
#include "SmallDisk.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DateText.h"
#include "core/GridView.h"
#include "store/Database.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {
const QDate DemoMonday(1998, 3, 9); // seeded pages with bookings
const QDate DemoTuesday(1998, 3, 10);
} // namespace

class DayPageWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> folder;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<AppState> state;
    std::unique_ptr<DayPageWindow> w;

    GridModel &grid() { return w->page().grid(); }
    QDate shown() { return w->page().record().date; }
    QLabel *dayLabel(const QDate &d)
    {
        for (int i = 0; i < 42; ++i) {
            auto *l = w->findChild<QLabel *>(QStringLiteral("LblDay_%1").arg(i));
            if (l && l->property("date").toDate() == d)
                return l;
        }
        return nullptr;
    }
    template <class T>
    T *child(const char *name)
    {
        return w->findChild<T *>(QLatin1String(name));
    }
    void typeDate(const QString &text)
    {
        dialogs->answerInput(text);
        w->openTypedDate();
    }
    QDate selectedDay()
    {
        for (int i = 0; i < 42; ++i) {
            auto *l = w->findChild<QLabel *>(QStringLiteral("LblDay_%1").arg(i));
            const QColor back = l->palette().color(QPalette::Window);
            if (back != colorFromNumber(FreeSlotColor))
                return l->property("date").toDate();
        }
        return {};
    }
    QColor selectedColour(const QDate &d) { return dayLabel(d)->palette().color(QPalette::Window); }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }
    void init()
    {
        folder = std::make_unique<TestFolder>();
        folder->copySeed(QStringLiteral("db.mdb"));
        dialogs = std::make_unique<ScriptedDialogs>();
        state = std::make_unique<AppState>();
        state->paths().setProgramFolder(folder->path());
        state->paths().setServerFolder(folder->path());
        state->setDialogs(dialogs.get());
        w = std::make_unique<DayPageWindow>(*state);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(900, 420); // fewer rows than the page has, so it scrolls
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup()
    {
        w.reset();
        state.reset();
        dialogs.reset();
        folder.reset();
    }

    void loadsTodaysPageReadyToBook()
    {
        const QDate today = QDate::currentDate();
        QCOMPARE(shown(), today);
        QCOMPARE(state->layout().pageDate, today);
        QCOMPARE(child<QLabel>("lblCalDate")->text(), DateText::shortDate(today));
        QCOMPARE(child<QLabel>("lblCalDay")->text(), DateText::longHeading(today));
        QCOMPARE(grid().row(), 6);
        QCOMPARE(grid().col(), 1);
        QCOMPARE(grid().topRow(), 5);
        QCOMPARE(child<QLineEdit>("txtS")->text().left(8), QStringLiteral("Start   "));
        QCOMPARE(child<QComboBox>("Combo_0")->itemText(0), QStringLiteral(" Office Open"));
        QCOMPARE(child<QComboBox>("Combo_0")->itemText(1), QStringLiteral(" Office Closed"));
        QCOMPARE(child<QComboBox>("Combo_1")->itemText(1), QStringLiteral("February"));
        QCOMPARE(child<QComboBox>("Combo_2")->count(), 2038 - 1997 + 1);
        QCOMPARE(dialogs->count(), 0);
    }

    void todayComesBackFromAnotherDate()
    {
        typeDate(QStringLiteral("3/9/98"));
        QCOMPARE(shown(), DemoMonday);
        grid().setCurrentCell(12, 3);
        QTest::mouseClick(child<QPushButton>("cmdToday"), Qt::LeftButton);
        const QDate today = QDate::currentDate();
        QCOMPARE(shown(), today);
        QCOMPARE(selectedDay(), today);
        QCOMPARE(child<QComboBox>("Combo_1")->currentIndex(), today.month() - 1);
        QCOMPARE(child<QComboBox>("Combo_2")->currentText(), QString::number(today.year()));
        QCOMPARE(grid().row(), 6);
        QCOMPARE(grid().col(), 1);
        QCOMPARE(grid().topRow(), 5);
    }

    void dayLabelOpensItsDate()
    {
        typeDate(QStringLiteral("3/9/98"));
        QTest::mouseClick(dayLabel(DemoTuesday), Qt::LeftButton);
        QCOMPARE(shown(), DemoTuesday);
        QCOMPARE(child<QLabel>("lblCalDate")->text(), DateText::shortDate(DemoTuesday));
        QCOMPARE(selectedColour(DemoTuesday), colorFromNumber(LunchColor));
        QCOMPARE(grid().row(), 6);
        // The demo booking of that day is in its cell.
        QCOMPARE(grid().text(7, 1), QStringLiteral("Susan Grant"));
        // The label of the page shown only moves the highlight.
        grid().setCurrentCell(9, 2);
        QTest::mouseClick(dayLabel(DemoTuesday), Qt::LeftButton);
        QCOMPARE(grid().row(), 9);
        // A day of the next month shown in the last row opens without turning the calendar.
        QTest::mouseClick(dayLabel(QDate(1998, 4, 2)), Qt::LeftButton);
        QCOMPARE(shown(), QDate(1998, 4, 2));
        QCOMPARE(child<QComboBox>("Combo_1")->currentIndex(), 3);
        QVERIFY(dayLabel(QDate(1998, 3, 1)) != nullptr);
    }

    void calendarKeysMoveTheSelectionAndOpenOnEnter()
    {
        typeDate(QStringLiteral("3/9/98"));
        auto *cal = child<QFrame>("Picture2");
        cal->setFocus();
        QTest::keyClick(cal, Qt::Key_Right);
        QTest::keyClick(cal, Qt::Key_Down);
        QCOMPARE(selectedDay(), QDate(1998, 3, 17));
        QCOMPARE(selectedColour(QDate(1998, 3, 17)), colorFromNumber(QBColor(14)));
        QCOMPARE(shown(), DemoMonday); // moving does not open
        QTest::keyClick(cal, Qt::Key_PageDown);
        QCOMPARE(selectedDay(), QDate(1998, 4, 17));
        QCOMPARE(child<QComboBox>("Combo_1")->currentIndex(), 3);
        QTest::keyClick(cal, Qt::Key_Up);
        QCOMPARE(selectedDay(), QDate(1998, 4, 10));
        QTest::keyClick(cal, Qt::Key_Return);
        QCOMPARE(shown(), QDate(1998, 4, 10));
        QCOMPARE(grid().row(), 6);
        QVERIFY(w->grid()->hasFocus() || w->focusWidget() == w->grid());
        // Tab opens the selection too.
        QTest::keyClick(cal, Qt::Key_Left);
        QTest::keyClick(cal, Qt::Key_Tab);
        QCOMPARE(shown(), QDate(1998, 4, 9));
    }

    void monthAndYearListsRollTheDayOver()
    {
        typeDate(QStringLiteral("2/29/00"));
        QCOMPARE(shown(), QDate(2000, 2, 29));
        child<QComboBox>("Combo_2")->setCurrentIndex(2001 - 1997);
        QCOMPARE(selectedDay(), QDate(2001, 3, 1));
        QCOMPARE(child<QComboBox>("Combo_1")->currentIndex(), 2);
        QCOMPARE(child<QComboBox>("Combo_2")->currentText(), QStringLiteral("2001"));
        QCOMPARE(shown(), QDate(2000, 2, 29)); // the page opens only from the calendar
        QCOMPARE(w->focusWidget(), child<QFrame>("Picture2"));
        child<QComboBox>("Combo_1")->setCurrentIndex(10);
        QCOMPARE(selectedDay(), QDate(2001, 11, 1));
        QTest::keyClick(child<QFrame>("Picture2"), Qt::Key_Space);
        QCOMPARE(shown(), QDate(2001, 11, 1));
    }

    void statusListClosesAndOpensThePage()
    {
        typeDate(QStringLiteral("3/9/98"));
        auto *status = child<QComboBox>("Combo_0");
        QCOMPARE(status->currentIndex(), 0);
        grid().setCurrentCell(12, 3);
        status->setCurrentIndex(1);
        QVERIFY(child<QCheckBox>("Check1")->isChecked());
        QCOMPARE(grid().backColor(), SystemDesktopColor);
        QCOMPARE(grid().cellBackColor(6, 1), qint64(0));
        QCOMPARE(grid().row(), 6);
        QCOMPARE(grid().col(), 1);
        Database db(state->paths().sharedDbPath());
        QCOMPARE(db.scalar(QStringLiteral("SELECT Clinic FROM tbl_Appt WHERE caldate = ?"), {DemoMonday}).toInt(), 1);
        status->setCurrentIndex(0);
        QVERIFY(!child<QCheckBox>("Check1")->isChecked());
        QCOMPARE(grid().backColor(), FreeSlotColor);
        QVERIFY(grid().cellBackColor(6, 1) != 0); // its colours are back
        QCOMPARE(db.scalar(QStringLiteral("SELECT Clinic FROM tbl_Appt WHERE caldate = ?"), {DemoMonday}).toInt(), 0);
        QCOMPARE(dialogs->count(), 1); // the typed-date box only
    }

    void typedDates()
    {
        grid().setCurrentCell(9, 2);
        typeDate(QStringLiteral("3/10/98"));
        QCOMPARE(shown(), DemoTuesday);
        QCOMPARE(dialogs->last().text,
                 QStringLiteral("Please enter Date of Page to open in shortdate format: (e.g. 11/11/99, 1-1-00)"));
        QCOMPARE(dialogs->last().title, QStringLiteral("Search Date"));
        QCOMPARE(selectedDay(), DemoTuesday);
        QCOMPARE(child<QComboBox>("Combo_1")->currentIndex(), 2);
        QCOMPARE(child<QComboBox>("Combo_2")->currentText(), QStringLiteral("1998"));
        QCOMPARE(grid().row(), 9); // the cell of the page before
        QCOMPARE(grid().col(), 2);

        typeDate(QStringLiteral("13/45/98"));
        QCOMPARE(dialogs->last().text,
                 QStringLiteral("Date entered is an invalid date or entered in the wrong format."));
        QCOMPARE(dialogs->last().title, QStringLiteral("Search Date"));
        QCOMPARE(shown(), DemoTuesday);

        typeDate(QStringLiteral("1/1/2040"));
        QCOMPARE(dialogs->last().text, QStringLiteral("Pages can be opened for the years 1997 to 2038 only."));
        QCOMPARE(shown(), DemoTuesday);

        const int shownBefore = dialogs->count();
        dialogs->cancelInput();
        w->openTypedDate();
        typeDate(QString());
        QCOMPARE(dialogs->count(), shownBefore + 2); // just the two input boxes
        QCOMPARE(shown(), DemoTuesday);
    }

    void nameSearchOverTwoPages()
    {
        {
            Database db(state->paths().sharedDbPath());
            auto put = [&](const QDate &d, int row, int col, const QString &name) {
                PageText::Cells cells = PageText::parse(
                    db.scalar(QStringLiteral("SELECT Data FROM tbl_Appt WHERE caldate = ?"), {d}).toString());
                cells[row - 2][col - 1] = name;
                db.execute(QStringLiteral("UPDATE tbl_Appt SET Data = ? WHERE caldate = ?"),
                           {PageText::join(cells), d});
            };
            put(DemoMonday, 8, 2, QStringLiteral("Ed Kowalski"));
            put(DemoTuesday, 10, 3, QStringLiteral("KOWALSKI, E."));
        }
        auto *box = child<QFrame>("fraMessage");
        auto *message = child<QLabel>("lblMessage");
        dialogs->answerInput(QStringLiteral("kowalski"));
        w->searchName();
        QCOMPARE(dialogs->last().text, QStringLiteral("Please enter Name to search:"));
        QCOMPARE(dialogs->last().title, QStringLiteral("Search"));
        QCOMPARE(shown(), DemoTuesday);
        QCOMPARE(grid().row(), 10);
        QCOMPARE(grid().col(), 3);
        QVERIFY(box->isVisible());
        QCOMPARE(message->text(), QStringLiteral("Search successful. Continue search?"));
        QCOMPARE(w->focusWidget(), child<QPushButton>("cmdYes"));
        // The box leaves the booking found in sight.
        auto foundCovered = [&] {
            const QRect cell = w->grid()->cellRect(grid().row(), grid().col());
            return QRect(box->mapToGlobal(QPoint(0, 0)), box->size())
                .intersects(QRect(w->grid()->mapToGlobal(cell.topLeft()), cell.size()));
        };
        QVERIFY(!foundCovered());

        QTest::mouseClick(child<QPushButton>("cmdYes"), Qt::LeftButton);
        QCOMPARE(shown(), DemoMonday);
        QCOMPARE(grid().row(), 8);
        QCOMPARE(grid().col(), 2);
        QCOMPARE(selectedDay(), DemoMonday);
        QCOMPARE(message->text(), QStringLiteral("Search successful. Continue search?"));
        QVERIFY(!foundCovered());

        QTest::mouseClick(child<QPushButton>("cmdYes"), Qt::LeftButton);
        QCOMPARE(message->text(), QStringLiteral("Search complete. Do another search?"));
        QCOMPARE(shown(), DemoMonday);

        // Yes starts a new search: a name nobody has.
        dialogs->answerInput(QStringLiteral("Nobody Atall"));
        QTest::mouseClick(child<QPushButton>("cmdYes"), Qt::LeftButton);
        QCOMPARE(message->text(), QStringLiteral("Search unsuccessful!  Search again with different Name spelling?"));
        QVERIFY(box->isVisible());
        QTest::mouseClick(child<QPushButton>("cmdNo"), Qt::LeftButton);
        QVERIFY(!box->isVisible());
        QCOMPARE(dialogs->count(), 2); // the two input boxes; the answers are in the box
    }

    void missingNameAnswersOnce()
    {
        dialogs->answerInput(QStringLiteral("Zebedee"));
        const QDate before = shown();
        w->searchName();
        QCOMPARE(child<QLabel>("lblMessage")->text(),
                 QStringLiteral("Search unsuccessful!  Search again with different Name spelling?"));
        QCOMPARE(shown(), before);
        QCOMPARE(dialogs->count(), 1);
        QTest::mouseClick(child<QPushButton>("cmdNo"), Qt::LeftButton);
        QVERIFY(!child<QFrame>("fraMessage")->isVisible());
    }

    void calendarTogglesAndActivationReturnsToTheBooking()
    {
        QVERIFY(w->calendarShown());
        QTest::keyClick(w.get(), Qt::Key_F2);
        QVERIFY(!w->calendarShown());
        QTest::keyClick(w->grid(), Qt::Key_Tab);
        QVERIFY(w->calendarShown());
        QCOMPARE(w->focusWidget(), child<QFrame>("Picture2"));
        typeDate(QStringLiteral("3/9/98"));
        QTest::keyClick(w->grid(), Qt::Key_Escape);
        QVERIFY(!w->calendarShown());
        QCOMPARE(shown(), QDate::currentDate());

        w->page().returnAfterBooking(12, 3);
        w->activatePage();
        QCOMPARE(grid().row(), 12);
        QCOMPARE(grid().col(), 3);
    }

    // A 640 x 480 screen, less a title bar: the window goes down to it, and every control of
    // the page, each caption of the legend among them, lies whole inside the window.
    void enterOnAFreeSlotOfAFullDiskSaysWhy()
    {
        SmallDisk disk(1024);
        if (!disk.ready())
            QSKIP("mounting a small disk needs root");
        QVERIFY(QFile::copy(TestFolder::buildFile(QStringLiteral("db.mdb")), disk.file(QStringLiteral("db.mdb"))));
        w.reset();
        state->paths().setServerFolder(disk.path());
        w = std::make_unique<DayPageWindow>(*state);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        typeDate(QStringLiteral("3/3/2031")); // the page is made while there is room
        QCOMPARE(shown(), QDate(2031, 3, 3));
        disk.fill();
        dialogs->clear();
        w->page().grid().setCurrentCell(8, 2);
        QTest::keyClick(w->grid(), Qt::Key_Return);
        QCOMPARE(dialogs->count(), 1);
        const QString text = dialogs->last().text;
        QVERIFY2(text.contains(QLatin1String(" is full")) && text.contains(disk.path()), qPrintable(text));
        w.reset(); // lets go of the file before the disk goes
    }

    void fitsASmallScreenWithNothingClipped()
    {
        // A location as long as a real garage's: the page status still shows Open or Closed.
        Database(state->paths().sharedDbPath())
            .execute(QStringLiteral("UPDATE tbl_Setup SET location = 'Northside Garage'"));
        // Sized before its first showing, as on a small screen.
        w = std::make_unique<DayPageWindow>(*state);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(620, 440);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::qWait(50);
        QVERIFY2(w->width() <= 620 && w->height() <= 440,
                 qPrintable(QStringLiteral("%1 x %2").arg(w->width()).arg(w->height())));
        const QRect inside = w->rect();
        for (const char *name : {"Grid1", "Picture2", "Combo_0", "cmdToday", "txtS", "txtU", "txtA", "Check2",
                                 "txtBook", "TxtMemo", "cmdMemo", "Label1_0", "Label1_7", "Image1_7"}) {
            QWidget *c = child<QWidget>(name);
            const QRect r(c->mapTo(w.get(), QPoint(0, 0)), c->size());
            QVERIFY2(inside.contains(r) && r.width() > 0 && r.height() > 0,
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                    .arg(QLatin1String(name))
                                    .arg(r.x())
                                    .arg(r.y())
                                    .arg(r.width())
                                    .arg(r.height())));
            if (QLatin1String(name).startsWith(QLatin1String("Label1_"))
                || QLatin1String(name).startsWith(QLatin1String("Image1_")))
                QVERIFY2(c->parentWidget()->rect().contains(c->geometry()), name);
        }
        auto *status = child<QComboBox>("Combo_0");
        QVERIFY(status->currentText().endsWith(QLatin1String("Northside Garage Open")));
        QVERIFY2(status->width() >= status->sizeHint().width(),
                 qPrintable(QStringLiteral("%1 < %2").arg(status->width()).arg(status->sizeHint().width())));
    }
};
TORVANE_TEST(DayPageWindowTest)
#include "DayPageWindowTest.moc"
