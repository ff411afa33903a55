#include "DayPageFixture.h"
#include "TestRegistry.h"
#include "core/Colors.h"
#include "core/Numbers.h"
#include "daypage/PageModel.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

// From Find a Slot to a saved booking: the hours asked for become the new booking's first job
// time, and Save shades that many hours below the slot.
class FindSlotBookingTest : public QObject {
    Q_OBJECT
private slots:
    void theHoursAskedForAreBookedAndShaded()
    {
        DayPageFixture f;
        QVERIFY(f.ready());
        QTest::keyClick(f.w.get(), Qt::Key_F, Qt::ControlModifier);
        QWidget *finder = f.w->slotFinder();
        QVERIFY(finder);
        auto *hours = finder->findChild<QDoubleSpinBox *>(QStringLiteral("txtHours"));
        hours->setValue(1.5);
        finder->findChild<QSpinBox *>(QStringLiteral("txtDays"))->setValue(1);
        QTest::keyClick(hours, Qt::Key_Return); // Find
        auto *list = finder->findChild<QTreeWidget *>(QStringLiteral("lstPlaces"));
        QVERIFY(list->topLevelItemCount() > 0);
        list->setCurrentItem(list->topLevelItem(0));
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(!f.w->slotFinder());

        const int row = f.grid().row(), col = f.grid().col();
        const QDate date = f.w->page().record().date;
        // The span walks past the lunch row, which falls inside it at some times of the day.
        QVector<int> span;
        int past = row;
        for (; span.size() < 3; ++past)
            if (f.storedColour(past, col, date) != LunchColor)
                span << past;
        while (f.storedColour(past, col, date) == LunchColor)
            ++past;
        const qint64 below = f.storedColour(past, col, date);
        QTest::keyClick(f.view(), Qt::Key_Return);
        QPointer<QWidget> form = f.w->bookingWindow();
        QVERIFY(form);
        QCOMPARE(form->findChild<QLineEdit *>(QStringLiteral("tTime0"))->text(), QStringLiteral("1.5"));
        QTest::keyClicks(form->findChild<QLineEdit *>(QStringLiteral("txtName")), QStringLiteral("Ann Lee"));
        form->findChild<QAction *>(QStringLiteral("Green"))->trigger(); // a colour that shows the span
        QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("cmdSave")), Qt::LeftButton);
        QTRY_VERIFY(!form);

        QCOMPARE(f.stored(row, col, date), QStringLiteral("Ann Lee"));
        // 1.5 hours of half-hour slots: the booking's cell and the two below it, not a fourth.
        for (int r : span)
            QCOMPARE(f.storedColour(r, col, date), qint64(0x80FF80));
        QCOMPARE(f.storedColour(past, col, date), below);
        QCOMPARE(leadingNumber(f.stored(PageModel::HoursUsedRow, col, date)), 1.5f);

        // Enter on another slot afterwards starts without hours.
        f.grid().setCurrentCell(row, col == 1 ? 2 : 1);
        QTest::keyClick(f.view(), Qt::Key_Return);
        form = f.w->bookingWindow();
        QVERIFY(form);
        QCOMPARE(form->findChild<QLineEdit *>(QStringLiteral("tTime0"))->text(), QString());
        QVERIFY(f.dialogs.shown().isEmpty());
    }
};
TORVANE_TEST(FindSlotBookingTest)
#include "FindSlotBookingTest.moc"
