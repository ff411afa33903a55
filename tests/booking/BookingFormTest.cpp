#include "BookingStation.h"
#include "SmallDisk.h"
#include "TestRegistry.h"
#include "booking/BookingTimes.h"
#include "booking/BookingWindow.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace BookingEntry;

// The booking record window driven like a user: its commands, keys and colours, the messages it
// shows and what reaches the shared database.
class BookingFormTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<BookingStation> m_station;

    // Enter on the slot, then the form opened over it.
    QPointer<BookingWindow> openForm(int row, int col) { return openForm(*m_station, row, col); }
    static QPointer<BookingWindow> openForm(BookingStation &station, int row, int col)
    {
        if (station.booking.claimSlot(row, col) == BookingPage::Claim::Engaged)
            return nullptr;
        auto *form = new BookingWindow(station.state, station.booking, station.desk, station.entered(row, col));
        if (!form->load())
            return nullptr;
        form->show();
        return form;
    }
    template <class T = QLineEdit>
    T *control(BookingWindow *form, const char *name)
    {
        return form->findChild<T *>(QLatin1String(name));
    }
    void click(BookingWindow *form, const char *button)
    {
        QPushButton *b = control<QPushButton>(form, button);
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    static QColor base(QWidget *w) { return w->palette().color(QPalette::Base); }
    ResultRows job(int col, int row)
    {
        Database db(m_folder->file(QStringLiteral("db.mdb")));
        return db.select(QStringLiteral("SELECT * FROM tbl_Job WHERE bDate = ? AND bCol = ? AND bRow = ?"),
                         {bookingDay(), col, row});
    }
    // A saved booking of one hour at the cell.
    void book(int row, int col, const QString &name)
    {
        QPointer<BookingWindow> form = openForm(row, col);
        QTest::keyClicks(control(form, "txtName"), name);
        control(form, "tTime0")->setText(QStringLiteral("1"));
        form->totalTime();
        click(form, "cmdSave");
        QTRY_VERIFY(!form);
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        pointStationAt(*m_folder);
        m_station = std::make_unique<BookingStation>(*m_folder);
    }
    void cleanup()
    {
        QList<QPointer<BookingWindow>> forms;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<BookingWindow *>(w))
                forms << f;
        qDeleteAll(forms);
        m_station.reset();
    }

    void newFormShowsTheDefaultsAndLabels()
    {
        QPointer<BookingWindow> form = openForm(8, 2);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("Booking Record"));
        QCOMPARE(control<QComboBox>(form, "cboDTime")->currentText(), QStringLiteral("08:00"));
        QCOMPARE(control<QComboBox>(form, "cboPTIme")->currentText(), QStringLiteral("08:00"));
        QCOMPARE(control<QComboBox>(form, "cboPay")->currentText(), QStringLiteral("Credit Card"));
        QCOMPARE(control<QComboBox>(form, "cboPay")->count(), 8);
        QCOMPARE(control<QComboBox>(form, "cboDTime")->itemText(20), QStringLiteral("06:00"));
        QCOMPARE(control(form, "txtTTime")->text(), QString());
        QCOMPARE(control(form, "txtCity")->text(), QStringLiteral("Hamilton"));
        // The spare job boxes' captions are hints only: nothing of them is a job.
        QCOMPARE(control(form, "txtInternal2")->text(), QString());
        QCOMPARE(control(form, "txtInternal2")->placeholderText(), QStringLiteral("Int 2"));
        QCOMPARE(control(form, "txtOther1")->placeholderText(), QStringLiteral("Other 1"));
        for (const char *name : {"txtName",    "txtPhone", "txtAddress", "txtCity",     "txtProv",      "txtPostCode",
                                 "txtVehicle", "txtMake",  "txtMainten", "txtMenu5",    "txtInternal1", "txtOther2",
                                 "tTime0",     "tTime9",   "txtTTime",   "txtComments", "cmdSave",      "cmdCopy",
                                 "cmdCut",     "cmdPaste", "cmdDelete",  "tbToolBar"})
            QVERIFY2(form->findChild<QWidget *>(QLatin1String(name)), name);
        QVERIFY(!form->flow().recordChanged());
        QVERIFY(!form->flow().timeChanged());
    }

    void formFitsASmallScreenAndSaysWhatItBooks()
    {
        m_station->state.layout().techNames =
            QStringList{QString(), QStringLiteral("Mike Dunn"), QStringLiteral("Sue Park")};
        QPointer<BookingWindow> form = openForm(8, 2);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QString heading = control<QLabel>(form, "lblHeading")->text();
        QVERIFY2(heading.contains(QLatin1String("Monday 3 March 2031")) && heading.contains(QLatin1String("Sue Park"))
                     && heading.contains(QLatin1String("09:00 AM")),
                 qPrintable(heading));
        // 1280 x 720 less a title bar and a task bar.
        const QSize least = form->minimumSizeHint();
        QVERIFY2(least.width() <= 1280 && least.height() <= 640,
                 qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
        // On this screen: wholly on it, and every control at least the size it needs, inside the form.
        QVERIFY(form->screen()->availableGeometry().contains(form->frameGeometry()));
        for (QWidget *w : form->findChildren<QWidget *>()) {
            if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            const QRect inForm(w->mapTo(form, QPoint(0, 0)), w->size());
            QVERIFY2(form->rect().contains(inForm), qPrintable(w->objectName()));
            QVERIFY2(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height(),
                     qPrintable(w->objectName()));
        }
    }

    void saveWithoutANameIsRefusedAndKeepsTheForm()
    {
        QPointer<BookingWindow> form = openForm(8, 2);
        control(form, "txtPhone")->setText(QStringLiteral("555-0100"));
        click(form, "cmdSave");
        QCOMPARE(m_station->dialogs.last().title, QStringLiteral("Command Save"));
        QCOMPARE(m_station->dialogs.last().text,
                 QStringLiteral("Please enter Customer Name to save record. Press ESC key or Click 'Close' icon to "
                                "abandon record."));
        QVERIFY(form && form->isVisible());
        QVERIFY(job(2, 8).value(0, "bPhone").isNull());
        QCOMPARE(m_station->grid().text(8, 2), QStringLiteral("Engaged"));
    }

    void deleteAnsweredNoClosesWithoutDeleting()
    {
        book(8, 2, QStringLiteral("Ann Lee"));
        QPointer<BookingWindow> form = openForm(8, 2);
        m_station->page.forgetBookingCell();
        m_station->dialogs.answer(Dialogs::AnsNo);
        click(form, "cmdDelete");
        QCOMPARE(m_station->dialogs.last().text, QStringLiteral("Are you sure you want to delete this record?"));
        QCOMPARE(m_station->dialogs.last().title, QStringLiteral("Delete Record"));
        QCOMPARE(m_station->dialogs.last().buttons, Dialogs::YesNoDefaultNo); // Enter alone deletes nothing
        QTRY_VERIFY(!form);
        QVERIFY(m_station->page.bookingCellToReturnTo());
        QCOMPARE(job(2, 8).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(m_station->grid().text(8, 2), QStringLiteral("Ann Lee"));
    }

    // The spare job boxes' captions are never stored as jobs. A save refused because another
    // station saved the booking first leaves the form open on the stored record, the typed
    // data kept for pasting.
    void formStoresNoCaptionsAndShowsWhatAnotherStationSaved()
    {
        book(9, 1, QStringLiteral("Ann Lee"));
        const ResultRows saved = job(1, 9);
        for (const char *field : {"bInternal1", "bInternal2", "bOther1", "bOther2"})
            QCOMPARE(saved.value(0, QLatin1String(field)).toString(), QString());

        QPointer<BookingWindow> form = openForm(9, 1);
        QCOMPARE(control(form, "txtName")->text(), QStringLiteral("Ann Lee"));
        {
            BookingStation other(*m_folder);
            auto flow = other.openSlot(9, 1);
            BookingEntries e = flow->loadedForm();
            e[Phone] = QStringLiteral("905-555-0199");
            QCOMPARE(flow->saveCommand(e), BookingFlow::Outcome::Closed);
        }
        QTest::keyClicks(control(form, "txtAddress"), QStringLiteral("12 King St"));
        click(form, "cmdSave");
        QVERIFY(form && form->isVisible());
        QCOMPARE(m_station->dialogs.last().text, QStringLiteral("Another station has changed this booking. Your "
                                                                "changes have been kept for pasting; the form now "
                                                                "shows what is stored."));
        QCOMPARE(control(form, "txtPhone")->text(), QStringLiteral("905-555-0199"));
        QCOMPARE(control(form, "txtAddress")->text(), QString());
        QCOMPARE(m_station->desk.clip().at(1), QStringLiteral("12 King St"));
        QVERIFY(!form->flow().recordChanged());
        QCOMPARE(job(1, 9).value(0, "bAddress").toString(), QString());
    }

    void copyThenPasteCarriesAll33EntriesToAnotherCell()
    {
        QPointer<BookingWindow> first = openForm(8, 2);
        BookingEntries typed;
        for (int i = 0; i < Count; ++i)
            typed[i] = QStringLiteral("entry %1").arg(i);
        for (int i = 0; i < BookingEntry::JobTimes; ++i)
            typed[time(i)] = QString::number(i + 1) + QStringLiteral(".5");
        first->setEntries(typed);
        QCOMPARE(first->entries(), typed);
        click(first, "cmdCopy");
        QVERIFY(first->isVisible());
        m_station->dialogs.answer(Dialogs::AnsNo);
        QTest::keyClick(control(first, "txtName"), Qt::Key_Escape);
        QTRY_VERIFY(!first);

        QPointer<BookingWindow> second = openForm(16, 3);
        QVERIFY(!second->flow().recordChanged() && !second->flow().timeChanged());
        click(second, "cmdPaste");
        QCOMPARE(second->entries(), typed);
        QVERIFY(second->flow().recordChanged());
        QVERIFY(second->flow().timeChanged());
    }

    void anythingTypedAsksBeforeClosingNewOrExisting()
    {
        // A new booking with a name: Esc asks, Yes writes it.
        QPointer<BookingWindow> form = openForm(8, 2);
        QTest::keyClicks(control(form, "txtName"), QStringLiteral("Ann Lee"));
        m_station->dialogs.answer(Dialogs::AnsYes);
        QTest::keyClick(control(form, "txtName"), Qt::Key_Escape);
        QCOMPARE(m_station->dialogs.last().text,
                 QStringLiteral("Do you wish to save the changes made to this record?"));
        QCOMPARE(m_station->dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QTRY_VERIFY(!form);
        QCOMPARE(job(2, 8).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(BookingStation(*m_folder).grid().text(8, 2), QStringLiteral("Ann Lee"));

        // An existing one where only the postal code was typed: the close box asks, No keeps the stored record.
        m_station->dialogs.clear();
        form = openForm(8, 2);
        QTest::keyClicks(control(form, "txtPostCode"), QStringLiteral("L8P 4B1"));
        m_station->dialogs.answer(Dialogs::AnsNo);
        form->close();
        QCOMPARE(m_station->dialogs.count(), 1);
        QTRY_VERIFY(!form);
        QCOMPARE(job(2, 8).value(0, "bPostCode").toString(), QString(""));

        // Nothing typed: no question. Choosing from a list's drop-down is no typing.
        m_station->dialogs.clear();
        form = openForm(8, 2);
        control<QComboBox>(form, "cboPay")->setCurrentIndex(1);
        QTest::keyClick(control(form, "txtName"), Qt::Key_Escape);
        QTRY_VERIFY(!form);
        QCOMPARE(m_station->dialogs.count(), 0);
    }

    void pastedTabsAndLineBreaksNeverReachTheRecord()
    {
        QPointer<BookingWindow> form = openForm(8, 2);
        QApplication::clipboard()->setText(QStringLiteral("Ann\tLee\r\n"));
        QLineEdit *name = control(form, "txtName");
        name->setFocus();
        QTest::keySequence(name, QKeySequence::Paste);
        QCOMPARE(name->text(), QStringLiteral("Ann Lee"));
        control(form, "txtAddress")->setText(QStringLiteral("12 Main St\r\nUnit 4"));
        click(form, "cmdSave");
        QTRY_VERIFY(!form);
        QCOMPARE(job(2, 8).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(job(2, 8).value(0, "bAddress").toString(), QStringLiteral("12 Main St Unit 4"));
        QCOMPARE(BookingStation(*m_folder).grid().text(8, 2), QStringLiteral("Ann Lee"));
    }

    void saveOnAFullDiskSaysWhyOnceAndLosesNothingTyped()
    {
        SmallDisk disk(2048);
        if (!disk.ready())
            QSKIP("mounting a small disk needs root");
        QVERIFY(QFile::copy(TestFolder::buildFile(QStringLiteral("db.mdb")), disk.file(QStringLiteral("db.mdb"))));
        {
            BookingStation station(disk.path());
            QPointer<BookingWindow> form = openForm(station, 8, 2); // the claim is written while there is room
            QVERIFY(form);
            disk.fill();
            QTest::keyClicks(control(form, "txtName"), QStringLiteral("Walter Kowalski"));
            QTest::keyClicks(control(form, "txtPhone"), QStringLiteral("905-555-0142"));
            control(form, "tTime0")->setText(QStringLiteral("1"));
            form->totalTime();
            station.dialogs.clear();
            click(form, "cmdSave");

            QCOMPARE(station.dialogs.count(), 1);
            const QString text = station.dialogs.last().text;
            QVERIFY2(text.contains(QLatin1String(" is full")) && text.contains(disk.path()), qPrintable(text));
            // The form stays with what was typed, so Save works once there is room again.
            QVERIFY(form && form->isVisible());
            QCOMPARE(control(form, "txtName")->text(), QStringLiteral("Walter Kowalski"));
            QVERIFY(QFile::remove(disk.file(QStringLiteral("filler"))));
            click(form, "cmdSave");
            QTRY_VERIFY(!form);
            QCOMPARE(station.dialogs.count(), 1);
            const ResultRows stored =
                station.db.select(QStringLiteral("SELECT bName, bPhone FROM tbl_Job WHERE bDate = ? AND bCol = 2 AND "
                                                 "bRow = 8"),
                                  {bookingDay()});
            QCOMPARE(stored.rows.size(), 1);
            QCOMPARE(stored.value(0, QStringLiteral("bPhone")).toString(), QStringLiteral("905-555-0142"));
            QCOMPARE(station.storedText(8, 2), QStringLiteral("Walter Kowalski"));
        }
    }

    void typedChangeAsksBeforeClosing()
    {
        book(8, 2, QStringLiteral("Ann Lee"));
        QPointer<BookingWindow> form = openForm(8, 2);
        QTest::keyClicks(control<QComboBox>(form, "cboPay")->lineEdit(), QStringLiteral("x"));
        m_station->dialogs.answer(Dialogs::AnsYes);
        QTest::keyClick(control(form, "txtName"), Qt::Key_Escape);
        QCOMPARE(m_station->dialogs.last().text,
                 QStringLiteral("Do you wish to save the changes made to this record?"));
        QCOMPARE(m_station->dialogs.last().title, QStringLiteral("Booking Record"));
        QCOMPARE(m_station->dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QTRY_VERIFY(!form);
        QCOMPARE(job(2, 8).value(0, "bPay").toString(), QStringLiteral("Credit Cardx"));
    }

    void colourButtonPaintsTheFormAndThePageOnlyOnSave()
    {
        QPointer<BookingWindow> form = openForm(8, 2);
        QTest::keyClicks(control(form, "txtName"), QStringLiteral("Ann Lee"));
        control(form, "tTime0")->setText(QStringLiteral("1"));
        form->totalTime();
        QAction *green = form->findChild<QAction *>(QStringLiteral("Green"));
        QVERIFY(green);
        green->trigger();
        const QColor greenColor = colorFromNumber(0x80FF80);
        QCOMPARE(base(control(form, "txtName")), greenColor);
        QCOMPARE(base(control(form, "tTime4")), greenColor);
        QCOMPARE(base(control<QPlainTextEdit>(form, "txtComments")), greenColor);
        QCOMPARE(base(control<QComboBox>(form, "cboPay")), greenColor);
        QVERIFY(form->flow().colorChanged());
        {
            BookingStation other(*m_folder);
            QCOMPARE(other.grid().cellBackColor(8, 2), FreeSlotColor);
        }
        click(form, "cmdSave");
        QTRY_VERIFY(!form);
        BookingStation other(*m_folder);
        QCOMPARE(other.grid().cellBackColor(8, 2), 0x80FF80);
        QCOMPARE(other.grid().cellBackColor(9, 2), 0x80FF80);
        QCOMPARE(other.grid().cellBackColor(10, 2), FreeSlotColor);
    }

    void pageLockLeavesListsPasteAndSaveWorking()
    {
        BookingStation past(*m_folder, QDate(2001, 3, 5));
        QVERIFY(past.page.pageLock());
        QVERIFY(past.booking.claimSlot(8, 1) == BookingPage::Claim::Claimed);
        QPointer<BookingWindow> form = new BookingWindow(past.state, past.booking, past.desk, past.entered(8, 1));
        QVERIFY(form->load());
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QVERIFY(control(form, "txtName")->isReadOnly());
        QVERIFY(control<QPlainTextEdit>(form, "txtComments")->isReadOnly());
        QVERIFY(control<QComboBox>(form, "cboPay")->isEditable());
        QVERIFY(!control<QComboBox>(form, "cboPay")->lineEdit()->isReadOnly());
        past.desk.setClip(fromList({QStringLiteral("Late Entry")}));
        click(form, "cmdPaste");
        QCOMPARE(control(form, "txtName")->text(), QStringLiteral("Late Entry"));
        click(form, "cmdSave");
        QTRY_VERIFY(!form);
        Database db(m_folder->file(QStringLiteral("db.mdb")));
        QCOMPARE(db.scalar(QStringLiteral("SELECT bName FROM tbl_Job WHERE bDate = '2001-03-05'")).toString(),
                 QStringLiteral("Late Entry"));
    }

    void keysMoveOnPressAndClose()
    {
        QPointer<BookingWindow> form = openForm(8, 2);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QLineEdit *name = control(form, "txtName");
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), control(form, "txtPhone"));
        auto *comments = control<QPlainTextEdit>(form, "txtComments");
        comments->setFocus();
        QTest::keyClick(comments, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), comments);
        QCOMPARE(comments->toPlainText(), QStringLiteral("\n"));
        QPushButton *save = control<QPushButton>(form, "cmdSave");
        save->setFocus();
        QTest::keyClick(save, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), comments);
        // Enter on a button presses it: Save without a name is refused.
        save->setFocus();
        QTest::keyClick(save, Qt::Key_Return);
        QCOMPARE(m_station->dialogs.last().title, QStringLiteral("Command Save"));
        // Leaving a job time puts the sum into the total.
        QLineEdit *t3 = control(form, "tTime3");
        t3->setFocus();
        QTest::keyClicks(t3, QStringLiteral("1.%5"));
        QCOMPARE(t3->text(), QStringLiteral("1.5"));
        control(form, "txtMenu3")->setFocus();
        QCOMPARE(control(form, "txtTTime")->text(), QStringLiteral("1.5"));
        QVERIFY(form->flow().timeChanged());
    }
};
TORVANE_TEST(BookingFormTest)
#include "BookingFormTest.moc"
