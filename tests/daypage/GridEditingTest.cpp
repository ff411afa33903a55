#include "DayPageFixture.h"
#include "TestRegistry.h"
#include "core/BookingCell.h"
#include "core/Colors.h"
#include "core/Twips.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

// The day page window driven by keys and mouse: claiming a slot, typing into the hours rows and
// the last row, the page lock, Delete, and what may reach a cell.
class GridEditingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<DayPageFixture> s;

    QLineEdit *edit() { return s->child<QLineEdit>("txtEdit"); }
    void typeInto(int row, int col, const QString &text)
    {
        s->grid().setCurrentCell(row, col);
        QTest::keyClicks(s->view(), text.left(1));
        QTest::keyClicks(edit(), text.mid(1));
        QTest::keyClick(edit(), Qt::Key_Return);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }
    void init()
    {
        s = std::make_unique<DayPageFixture>();
        QVERIFY(s->ready());
        s->open(DayPageFixture::day());
        QCOMPARE(s->w->page().record().date, DayPageFixture::day());
        s->dialogs.clear();
    }
    void cleanup() { s.reset(); }

    void enterOnAnEmptySlotClaimsItBeforeTheBookingWindowExists()
    {
        int opened = 0;
        QString storedAtOpening;
        BookingCell handed;
        s->state.windows().setBookingWindow([&](AppState &, QWidget *over, const BookingCell &cell) -> QWidget * {
            ++opened;
            storedAtOpening = s->stored(8, 2);
            handed = cell;
            return new QWidget(over, Qt::Window);
        });
        s->grid().setCurrentCell(8, 2);
        QTest::keyClick(s->view(), Qt::Key_Return);
        QCOMPARE(opened, 1);
        QCOMPARE(storedAtOpening, QStringLiteral("Engaged"));
        QCOMPARE(s->grid().text(8, 2), QStringLiteral("Engaged"));
        QCOMPARE(handed.date, DayPageFixture::day());
        QCOMPARE(handed.row, 8);
        QCOMPARE(handed.col, 2);
        QCOMPARE(handed.color, int(FreeSlotColor));
        const QPoint gridAt = s->view()->mapTo(s->w.get(), QPoint(0, 0));
        QCOMPARE(handed.at.y(), int(pixelsToTwips(gridAt.y())) + 600);
        QCOMPARE(handed.at.x(), int(pixelsToTwips(gridAt.x())) + 2000);
        QVERIFY(s->w->bookingWindow());

        // Another station reloading the page finds the slot taken; so does this one.
        Station other(s->dbPath());
        QVERIFY(other.page.openDate(DayPageFixture::day()));
        QCOMPARE(other.page.enterSlot(8, 2), DayPage::SlotEnter::Engaged);
        QTest::keyClick(s->view(), Qt::Key_Return);
        QCOMPARE(opened, 1);
        QCOMPARE(s->dialogs.count(), 0);

        // A booked slot opens its record without changing the cell.
        s->store(10, 3, QStringLiteral("Ann Ortiz"));
        s->grid().setCurrentCell(10, 3);
        QTest::keyClick(s->view(), Qt::Key_Return);
        QCOMPARE(opened, 2);
        QCOMPARE(s->stored(10, 3), QStringLiteral("Ann Ortiz"));
        QCOMPARE(handed.row, 10);
    }

    void theBookingWindowOpensOverThePageAndAClickInTheGridClosesIt()
    {
        s->grid().setCurrentCell(8, 3);
        QTest::keyClick(s->view(), Qt::Key_Return);
        QPointer<QWidget> form = s->w->bookingWindow();
        QVERIFY(form);
        QCOMPARE(form->objectName(), QStringLiteral("frmBooking"));
        QVERIFY(form->isVisible());
        QCOMPARE(s->stored(8, 3), QStringLiteral("Engaged"));
        // Nothing was booked: closing it by the click gives the slot back.
        QTest::mouseClick(s->view()->viewport(), Qt::LeftButton, {}, s->cellPoint(9, 1));
        QVERIFY(!form || !form->isVisible());
        QCOMPARE(s->stored(8, 3), QString());
        QCOMPARE(s->grid().text(8, 3), QString());

        // With a name typed, the click asks first; Enter on the question (No) closes as before,
        // Yes saves.
        s->grid().setCurrentCell(8, 3);
        QTest::keyClick(s->view(), Qt::Key_Return);
        form = s->w->bookingWindow();
        QTest::keyClicks(form->findChild<QLineEdit *>(QStringLiteral("txtName")), QStringLiteral("Ann Lee"));
        s->dialogs.answer(Dialogs::AnsYes);
        QTest::mouseClick(s->view()->viewport(), Qt::LeftButton, {}, s->cellPoint(12, 1));
        QCOMPARE(s->dialogs.last().text, QStringLiteral("Do you wish to save the changes made to this record?"));
        QCOMPARE(s->dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QVERIFY(!form || !form->isVisible());
        QCOMPARE(s->stored(8, 3), QStringLiteral("Ann Lee"));
        // The clicked cell stays the current one when the page is activated again.
        s->w->activatePage();
        QCOMPARE(s->grid().row(), 12);
        QCOMPARE(s->grid().col(), 1);
    }

    void afterABookingThePageReturnsToItsCellOnceOnly()
    {
        s->grid().setCurrentCell(10, 2);
        QTest::keyClick(s->view(), Qt::Key_Return);
        QPointer<QWidget> form = s->w->bookingWindow();
        QTest::keyClicks(form->findChild<QLineEdit *>(QStringLiteral("txtName")), QStringLiteral("Raj Singh"));
        QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("cmdSave")), Qt::LeftButton);
        QVERIFY(!form || !form->isVisible());
        s->grid().setCurrentCell(6, 1);
        s->w->activatePage(); // back from the booking window
        QCOMPARE(s->grid().row(), 10);
        QCOMPARE(s->grid().col(), 2);
        s->grid().setCurrentCell(16, 4);
        s->w->activatePage(); // back from help, say
        QCOMPARE(s->grid().row(), 16);
        QCOMPARE(s->grid().col(), 4);
    }

    void enterOnLunchDoesNothingAndOnTheLastRowOpensTheEditBox()
    {
        int opened = 0;
        s->state.windows().setBookingWindow([&](AppState &, QWidget *, const BookingCell &) -> QWidget * {
            ++opened;
            return nullptr;
        });
        const QString before = s->storedField("Data");
        s->grid().setCurrentCell(DayPageFixture::LunchRow, 1);
        QTest::keyClick(s->view(), Qt::Key_Return);
        QCOMPARE(opened, 0);
        QCOMPARE(s->storedField("Data"), before);
        QCOMPARE(s->grid().cellBackColor(DayPageFixture::LunchRow, 1), LunchColor);
        QVERIFY(!edit()->isVisible());

        s->grid().setCurrentCell(DayPageFixture::LastRow, 4);
        QTest::keyClick(s->view(), Qt::Key_Return);
        QCOMPARE(opened, 0);
        QVERIFY(edit()->isVisible());
        QVERIFY(edit()->hasFocus());
        // Exactly over the cell.
        const QRect cell = s->view()->cellRect(DayPageFixture::LastRow, 4);
        QCOMPARE(edit()->geometry(), QRect(s->view()->mapTo(edit()->parentWidget(), cell.topLeft()), cell.size()));
        QCOMPARE(edit()->font().family(), s->grid().font().family());
        QVERIFY(edit()->font().bold());
        // Scrolling the grid puts the box away.
        s->grid().setTopRow(3);
        QVERIFY(!edit()->isVisible());
    }

    void anotherStationsBookingShowsWithoutMovingTheCellOrTheTyping()
    {
        s->grid().setCurrentCell(DayPageFixture::LastRow, 4);
        QTest::keyClicks(s->view(), QStringLiteral("T"));
        QTest::keyClicks(edit(), QStringLiteral("yres"));
        Station other(s->dbPath());
        QVERIFY(other.page.openDate(DayPageFixture::day()));
        other.page.writeTogether([&] {
            other.grid().setText(8, 2, QStringLiteral("Bob Two"));
            other.grid().setText(PageModel::HoursUsedRow, 2, QStringLiteral("1"));
            other.grid().setCellBackColor(9, 2, 0x80FF80);
        });
        // Nothing is done at this station: it shows the booking within about a second.
        QTRY_COMPARE_WITH_TIMEOUT(s->grid().text(8, 2), QStringLiteral("Bob Two"), 5000);
        QCOMPARE(s->grid().cellBackColor(9, 2), qint64(0x80FF80));
        QCOMPARE(s->child<QLineEdit>("txtU")->text(), QStringLiteral("Used   1"));
        QVERIFY(edit()->isVisible());
        QVERIFY(edit()->hasFocus());
        QCOMPARE(edit()->text(), QStringLiteral("Tyres"));
        QCOMPARE(s->grid().row(), DayPageFixture::LastRow);
        QCOMPARE(s->grid().col(), 4);
        QTest::keyClick(edit(), Qt::Key_Return);
        QCOMPARE(s->stored(DayPageFixture::LastRow, 4), QStringLiteral("Tyres"));
        QCOMPARE(s->stored(8, 2), QStringLiteral("Bob Two"));
        QCOMPARE(s->dialogs.count(), 0);
    }

    void typedStartingHoursAreStoredAtOnceOrAfterTheReplaceQuestion()
    {
        // Row 4 of column 3 emptied meanwhile: stored without a question.
        s->store(4, 3, QString());
        typeInto(4, 3, QStringLiteral("7.5"));
        QCOMPARE(s->stored(4, 3), QStringLiteral("7.5"));
        QCOMPARE(s->dialogs.count(), 0);
        QVERIFY(!edit()->isVisible());
        QVERIFY(s->view()->hasFocus());
        s->w->refreshGrid();
        QCOMPARE(s->grid().text(2, 3), QStringLiteral("7.5")); // hours available follow on reload

        // Column 2 holds hours another station changed to 6: the box shows them with the question.
        s->store(4, 2, QStringLiteral("6"));
        QString shownInBox;
        s->dialogs.onMessage = [&](const QString &) { shownInBox = edit()->text(); };
        s->dialogs.answer(Dialogs::AnsNo);
        typeInto(4, 2, QStringLiteral("7.5"));
        QCOMPARE(s->dialogs.count(), 1);
        QCOMPARE(
            s->dialogs.last().text,
            QStringLiteral("An entry has already been made for this timeslot. Do you wish to replace this entry?"));
        QCOMPARE(s->dialogs.last().title, QStringLiteral("Booking"));
        QCOMPARE(s->dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QCOMPARE(shownInBox, QStringLiteral("6"));
        QCOMPARE(s->stored(4, 2), QStringLiteral("6"));
        QCOMPARE(s->grid().text(4, 2), QStringLiteral("6"));

        s->dialogs.answer(Dialogs::AnsYes);
        typeInto(4, 2, QStringLiteral("7.5"));
        QCOMPARE(s->dialogs.count(), 2);
        QCOMPARE(s->stored(4, 2), QStringLiteral("7.5"));
        // The same text again is no change: no question.
        typeInto(4, 2, QStringLiteral("7.5"));
        QCOMPARE(s->dialogs.count(), 2);
        // Only the typed cell was written: a cell another station changed meanwhile stays.
        s->store(20, 1, QStringLiteral("Walk-in"));
        typeInto(DayPageFixture::LastRow, 1, QStringLiteral("Loaner car out"));
        QCOMPARE(s->stored(DayPageFixture::LastRow, 1), QStringLiteral("Loaner car out"));
        QCOMPARE(s->stored(20, 1), QStringLiteral("Walk-in"));
    }

    void bracesAreRefusedAndNothingSplitsACell()
    {
        typeInto(5, 1, QStringLiteral("{Road test}"));
        QCOMPARE(s->stored(5, 1), QStringLiteral("Road test"));

        QGuiApplication::clipboard()->setText(QStringLiteral("Fleet\tService\r\n"));
        s->grid().setCurrentCell(DayPageFixture::LastRow, 2);
        QTest::keyClick(s->view(), Qt::Key_Return);
        edit()->clear();
        QTest::keyClick(edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit()->text(), QStringLiteral("Fleet Service"));
        QTest::keyClick(edit(), Qt::Key_Return);
        QCOMPARE(s->stored(DayPageFixture::LastRow, 2), QStringLiteral("Fleet Service"));
        const PageText::Cells cells = PageText::parse(s->storedField("Data"));
        QCOMPARE(cells.size(), DayPageFixture::LastRow - 1); // rows 2 to 25
        for (const QStringList &row : cells)
            QCOMPARE(row.size(), 4);

        // Text reaching the box any other way (a drop, the box's own menu) is cleaned too.
        s->grid().setCurrentCell(DayPageFixture::LastRow, 3);
        QTest::keyClick(s->view(), Qt::Key_Return);
        edit()->insert(QStringLiteral("A\tB\n{C}"));
        QCOMPARE(edit()->text(), QStringLiteral("A B C"));
    }

    void pageLockRefusesTyping()
    {
        auto *lock = s->child<QCheckBox>("Check2");
        QVERIFY(!lock->isChecked()); // a future page
        s->w->toolbarAction(QStringLiteral("Key"))->trigger();
        QVERIFY(lock->isChecked());
        QVERIFY(s->w->page().pageLock());
        QCOMPARE(lock->palette().color(QPalette::Window), colorFromNumber(QBColor(12)));

        s->grid().setCurrentCell(4, 1);
        QTest::keyClicks(s->view(), QStringLiteral("5"));
        QVERIFY(edit()->isVisible());
        QVERIFY(edit()->isReadOnly());
        QCOMPARE(edit()->text(), QStringLiteral("8"));
        QTest::keyClicks(edit(), QStringLiteral("9"));
        QTest::keyClick(edit(), Qt::Key_Return);
        QCOMPARE(s->stored(4, 1), QStringLiteral("8"));
        QCOMPARE(s->dialogs.count(), 0);

        lock->setChecked(false);
        QVERIFY(!s->w->page().pageLock());
        QCOMPARE(lock->palette().color(QPalette::Window), s->w->palette().color(QPalette::Window));
        // Pages before today are locked when shown.
        s->open(QDate(1998, 3, 9));
        QVERIFY(lock->isChecked());
    }

    void deleteOnABookedCellTakesTheWholeBookingOrNothing()
    {
        const QDate d = DayPageFixture::day();
        s->store(9, 2, QStringLiteral("Susan Grant"));
        s->db->execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName) VALUES (?, 2, 9, 'Susan Grant')"),
                       {d});
        s->w->refreshGrid();
        s->grid().setCurrentCell(9, 2);
        s->w->page().spanChoice().cells = 1;
        s->w->toolbarAction(QStringLiteral("Green"))->trigger();
        QCOMPARE(s->storedColour(9, 2), qint64(0x80FF80));
        auto booked = [&] {
            return s->db
                ->scalar(QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bDate = ? AND bCol = 2 AND bRow = 9"), {d})
                .toInt();
        };

        s->dialogs.answer(Dialogs::AnsNo);
        QTest::keyClick(s->view(), Qt::Key_Delete);
        QCOMPARE(s->dialogs.last().text, QStringLiteral("Delete the booking of Susan Grant?"));
        QCOMPARE(s->stored(9, 2), QStringLiteral("Susan Grant"));
        QCOMPARE(booked(), 1);

        s->dialogs.answer(Dialogs::AnsYes);
        QTest::keyClick(s->view(), Qt::Key_Delete);
        QCOMPARE(s->stored(9, 2), QString());
        QCOMPARE(s->storedColour(9, 2), FreeSlotColor);
        QCOMPARE(booked(), 0);

        // Delete typed in a memo edits the memo only.
        s->store(10, 1, QStringLiteral("Bob Diaz"));
        s->w->refreshGrid();
        s->grid().setCurrentCell(10, 1);
        auto *memo = s->child<QPlainTextEdit>("TxtMemo");
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("xNote"));
        QTest::keyClick(memo, Qt::Key_Home);
        QTest::keyClick(memo, Qt::Key_Delete);
        QCOMPARE(memo->toPlainText(), QStringLiteral("Note"));
        QCOMPARE(s->stored(10, 1), QStringLiteral("Bob Diaz"));
    }

    void leftClickReloadsAndRightClickPlacesTheSkillViewer()
    {
        QVERIFY(s->w->calendarShown());
        s->store(10, 3, QStringLiteral("Walk-in"));
        QTest::mouseClick(s->view()->viewport(), Qt::LeftButton, {}, s->cellPoint(10, 3));
        QCOMPARE(s->grid().text(10, 3), QStringLiteral("Walk-in"));
        QCOMPARE(s->grid().row(), 10);
        QCOMPARE(s->grid().col(), 3);
        QVERIFY(!s->w->calendarShown());
        QVERIFY(s->view()->hasFocus());

        int column = 0;
        QPoint place;
        s->state.windows().setSkillViewer([&](AppState &, QWidget *over, int col, QPoint at) -> QWidget * {
            column = col;
            place = at;
            return new QWidget(over, Qt::Window);
        });
        const QPoint gridAt = s->view()->mapTo(s->w.get(), QPoint(0, 0));
        QTest::mouseClick(s->view()->viewport(), Qt::RightButton, {}, s->cellPoint(8, 2));
        QCOMPARE(column, 2);
        QCOMPARE(place.y(), int(pixelsToTwips(gridAt.y())) + 650);
        const QRect near = s->view()->cellRect(8, 2);
        QVERIFY(pixelsToTwips(near.left()) <= 6000);
        QCOMPARE(place.x(), int(pixelsToTwips(gridAt.x())) + int(pixelsToTwips(near.right() + 1)));
        QVERIFY(s->w->skillViewer());

        // A column starting far to the right has the viewer on its left.
        QTest::mouseClick(s->view()->viewport(), Qt::RightButton, {}, s->cellPoint(8, 4));
        const QRect far = s->view()->cellRect(8, 4);
        QVERIFY(pixelsToTwips(far.left()) > 6000);
        QCOMPARE(place.x(),
                 int(pixelsToTwips(gridAt.x())) + int(pixelsToTwips(far.left())) - DayPageWindow::SkillViewerWidth);

        // The next left click closes the viewer.
        QPointer<QWidget> viewer = s->w->skillViewer();
        QTest::mouseClick(s->view()->viewport(), Qt::LeftButton, {}, s->cellPoint(9, 1));
        QVERIFY(!viewer || !viewer->isVisible());
    }

    void windowKeys()
    {
        auto *memoButton = s->child<QPushButton>("cmdMemo");
        auto *fixed = s->child<QPlainTextEdit>("TxtFixedMemo");
        auto *daily = s->child<QPlainTextEdit>("TxtMemo");
        const QString fixedBefore = fixed->toPlainText();
        fixed->setPlainText(QStringLiteral("Closed on Sundays"));
        fixed->document()->setModified(false);
        QTest::keyClick(s->view(), Qt::Key_F3);
        QCOMPARE(memoButton->text(), QStringLiteral("Daily Memo"));
        QVERIFY(fixed->isVisible());
        QVERIFY(s->child<QLabel>("lblFixedMemo")->isVisible());
        QVERIFY(fixed->hasFocus());
        // The caret waits at the end, so what is typed follows the memo instead of running into it.
        QVERIFY(fixed->textCursor().atEnd());
        daily->setPlainText(QStringLiteral("Call Mr Hale\nabout the tyres"));
        daily->document()->setModified(false);
        QTest::keyClick(fixed, Qt::Key_F3);
        QCOMPARE(memoButton->text(), QStringLiteral("Fixed Memo"));
        QVERIFY(!fixed->isVisible());
        QVERIFY(daily->hasFocus());
        QVERIFY(daily->textCursor().atEnd());
        daily->clear();
        daily->document()->setModified(false);
        fixed->setPlainText(fixedBefore);
        fixed->document()->setModified(false);
        // Tab in a memo goes back to the grid without typing a tab.
        QTest::keyClick(s->child<QPlainTextEdit>("TxtMemo"), Qt::Key_Tab);
        QVERIFY(s->view()->hasFocus());
        QCOMPARE(s->child<QPlainTextEdit>("TxtMemo")->toPlainText(), QString());

        QTest::keyClick(s->view(), Qt::Key_F1);
        auto *help = s->w->findChild<QWidget *>(QStringLiteral("frmHelp"));
        QVERIFY(help);
        help->close();

        QTest::keyClick(s->view(), Qt::Key_Escape);
        QCOMPARE(s->w->page().record().date, QDate::currentDate());
        QVERIFY(!s->w->calendarShown());
    }
};
TORVANE_TEST(GridEditingTest)
#include "GridEditingTest.moc"
