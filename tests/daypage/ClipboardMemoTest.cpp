#include "DayPageFixture.h"
#include "TestRegistry.h"
#include "core/Colors.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

// The Edit commands on the focused text box through the system clipboard, and the memos and
// booking number that keep their texts in the database.
class ClipboardMemoTest : public QObject {
    Q_OBJECT
    std::unique_ptr<DayPageFixture> s;

    QPlainTextEdit *memo() { return s->child<QPlainTextEdit>("TxtMemo"); }
    QPlainTextEdit *fixedMemo() { return s->child<QPlainTextEdit>("TxtFixedMemo"); }
    QLineEdit *book() { return s->child<QLineEdit>("txtBook"); }
    QClipboard *clipboard() { return QGuiApplication::clipboard(); }
    QString setup(const char *field)
    {
        return s->db->scalar(QStringLiteral("SELECT %1 FROM tbl_Setup").arg(QLatin1String(field))).toString();
    }
    void select(QPlainTextEdit *box, int from, int to)
    {
        QTextCursor c = box->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        box->setTextCursor(c);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }
    void init()
    {
        s = std::make_unique<DayPageFixture>();
        QVERIFY(s->ready());
        s->open(DayPageFixture::day());
        s->dialogs.clear();
    }
    void cleanup() { s.reset(); }

    void copyWithTheGridFocusedLeavesTheClipboardEmpty()
    {
        clipboard()->setText(QStringLiteral("left over"));
        s->view()->setFocus();
        QTest::keyClick(s->view(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard()->text(), QString());
        // So a following Paste into the daily memo inserts nothing.
        memo()->setFocus();
        QTest::keyClicks(memo(), QStringLiteral("Call back"));
        s->w->toolbarAction(QStringLiteral("Paste"))->trigger();
        QCOMPARE(memo()->toPlainText(), QStringLiteral("Call back"));
        // Delete from the Edit menu with the grid focused changes nothing either.
        s->store(8, 1, QStringLiteral("Kept"));
        s->w->refreshGrid();
        s->grid().setCurrentCell(8, 1);
        s->view()->setFocus();
        s->w->findChild<QAction *>(QStringLiteral("mnuDelete"))->trigger();
        QCOMPARE(s->grid().text(8, 1), QStringLiteral("Kept"));
        QCOMPARE(s->stored(8, 1), QStringLiteral("Kept"));
    }

    void cutInTheDailyMemoMovesTheTextAndLeavingStoresIt()
    {
        memo()->setFocus();
        QCOMPARE(memo()->palette().color(QPalette::Base), colorFromNumber(FreeSlotColor));
        QTest::keyClicks(memo(), QStringLiteral("Call Mr Lee back"));
        select(memo(), 5, 12); // "Mr Lee "
        QTest::keyClick(memo(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(clipboard()->text(), QStringLiteral("Mr Lee "));
        QCOMPARE(memo()->toPlainText(), QStringLiteral("Call back"));
        QCOMPARE(s->storedField("Memo"), QString()); // not before the box is left

        QTest::keyClick(memo(), Qt::Key_Tab);
        QVERIFY(s->view()->hasFocus());
        QCOMPARE(s->storedField("Memo"), QStringLiteral("Call back"));
        QCOMPARE(memo()->palette().color(QPalette::Base), colorFromNumber(QBColor(7)));

        // Paste puts it back where the caret is.
        memo()->setFocus();
        memo()->moveCursor(QTextCursor::End);
        s->w->findChild<QAction *>(QStringLiteral("mnuPaste"))->trigger();
        QCOMPARE(memo()->toPlainText(), QStringLiteral("Call backMr Lee "));
    }

    void memosShowWhatIsStoredAndStayWithTheirPage()
    {
        // Another station's memo is read when the box gets the focus.
        Station other(s->dbPath());
        QVERIFY(other.page.openDate(DayPageFixture::day()));
        other.page.store().saveMemo(other.page.record().key(), std::nullopt, QStringLiteral("From the front desk"));
        memo()->setFocus();
        QCOMPARE(memo()->toPlainText(), QStringLiteral("From the front desk"));
        // Leaving without typing writes nothing over a later change elsewhere.
        other.page.store().saveMemo(other.page.record().key(), std::nullopt, QStringLiteral("Changed again"));
        s->view()->setFocus();
        QCOMPARE(s->storedField("Memo"), QStringLiteral("Changed again"));

        // A memo still being typed when another date opens is stored with its own page.
        memo()->setFocus();
        memo()->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo(), QStringLiteral(" - ring"));
        s->open(DayPageFixture::day().addDays(1));
        QCOMPARE(s->storedField("Memo"), QStringLiteral("Changed again - ring"));
        QCOMPARE(s->storedField("Memo", DayPageFixture::day().addDays(1)), QString());
        QCOMPARE(memo()->toPlainText(), QString());
    }

    void secondStationTypingTheSameMemoIsAskedBeforeReplacingIt()
    {
        memo()->setFocus();
        QTest::keyClicks(memo(), QStringLiteral("Tyres at 3"));
        // Meanwhile another station stores its own memo for the page.
        Station other(s->dbPath());
        QVERIFY(other.page.openDate(DayPageFixture::day()));
        QCOMPARE(other.page.storeText(DayPage::SharedText::DailyMemo, other.page.record().key(), QString(),
                                      QStringLiteral("Fleet van 9am")),
                 QStringLiteral("Fleet van 9am"));

        s->dialogs.answer(Dialogs::AnsNo);
        s->view()->setFocus();
        QCOMPARE(s->dialogs.count(), 1);
        QCOMPARE(s->dialogs.last().title, QStringLiteral("Text Memo"));
        QCOMPARE(s->dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QVERIFY(s->dialogs.last().text.contains(QStringLiteral("Fleet van 9am")));
        QCOMPARE(s->storedField("Memo"), QStringLiteral("Fleet van 9am"));
        QCOMPARE(memo()->toPlainText(), QStringLiteral("Fleet van 9am"));

        memo()->setFocus();
        memo()->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo(), QStringLiteral(", tyres at 3"));
        s->view()->setFocus();
        QCOMPARE(s->storedField("Memo"), QStringLiteral("Fleet van 9am, tyres at 3"));
        QCOMPARE(s->dialogs.count(), 1);
    }

    void fixedMemoAndBookingNumber()
    {
        QCOMPARE(book()->text(), QStringLiteral("1001")); // shown as the window loads
        QTest::keyClick(s->view(), Qt::Key_F3);
        QVERIFY(fixedMemo()->hasFocus());
        QCOMPARE(fixedMemo()->toPlainText(), setup("FixedMemo").replace(QLatin1String("\r\n"), QLatin1String("\n")));
        fixedMemo()->selectAll();
        QTest::keyClicks(fixedMemo(), QStringLiteral("Closed on the 4th"));
        QTest::keyClick(fixedMemo(), Qt::Key_Tab);
        QCOMPARE(setup("FixedMemo"), QStringLiteral("Closed on the 4th"));

        s->db->execute(QStringLiteral("UPDATE tbl_Setup SET Bookno = '1500'"));
        s->w->findChild<QAction *>(QStringLiteral("mnuBook"))->trigger();
        QVERIFY(book()->hasFocus());
        QCOMPARE(book()->text(), QStringLiteral("1500"));
        book()->selectAll();
        QTest::keyClicks(book(), QStringLiteral("1600"));
        QTest::keyClick(book(), Qt::Key_Return);
        QVERIFY(s->view()->hasFocus());
        QCOMPARE(setup("Bookno"), QStringLiteral("1600"));
        QCOMPARE(book()->palette().color(QPalette::Base), s->w->palette().color(QPalette::Window));
        // An unchanged number does not turn back one another station has moved on.
        book()->setFocus();
        s->db->execute(QStringLiteral("UPDATE tbl_Setup SET Bookno = '1601'"));
        s->view()->setFocus();
        QCOMPARE(setup("Bookno"), QStringLiteral("1601"));
        QCOMPARE(s->dialogs.count(), 0);
    }

    void cutAndCopyInTheEditBox()
    {
        s->grid().setCurrentCell(DayPageFixture::LastRow, 1);
        auto *edit = s->child<QLineEdit>("txtEdit");
        QTest::keyClicks(s->view(), QStringLiteral("T"));
        QTest::keyClicks(edit, QStringLiteral("ow truck"));
        edit->setSelection(0, 4);
        s->w->toolbarAction(QStringLiteral("Copy"))->trigger();
        QCOMPARE(clipboard()->text(), QStringLiteral("Tow "));
        s->w->toolbarAction(QStringLiteral("Cut"))->trigger();
        QCOMPARE(edit->text(), QStringLiteral("truck"));
        // Locked, the box lets text be copied but not cut away.
        s->w->toolbarAction(QStringLiteral("Key"))->trigger();
        QVERIFY(edit->hasFocus());
        edit->setSelection(0, 2);
        s->w->toolbarAction(QStringLiteral("Cut"))->trigger();
        QCOMPARE(clipboard()->text(), QStringLiteral("tr"));
        QCOMPARE(edit->text(), QStringLiteral("truck"));
    }
};
TORVANE_TEST(ClipboardMemoTest)
#include "ClipboardMemoTest.moc"
