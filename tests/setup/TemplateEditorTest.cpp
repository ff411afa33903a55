#include "TemplateStation.h"
#include "core/Colors.h"
#include "core/Twips.h"
#include "daypage/DayPage.h"
#include "daypage/DayPageWindow.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

// The template editor driven by keys, mouse and its pop-up menu: a week of templates stored and
// the pages made from them, the clipboard, and leaving by the close box. On both engines.
class TemplateEditorTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit TemplateEditorTest(bool onServer) : m_onServer(onServer) {}

    static void menu(TemplatesWindow *w, const char *entry)
    {
        w->findChild<QAction *>(QLatin1String(entry))->trigger();
    }

private slots:
    void aStoredWeekMakesTheNewPages()
    {
        TemplateStation s(m_onServer);
        const QString monday = s.setup(QStringLiteral("Mon"));
        TemplatesWindow *w = s.openEditor();
        QVERIFY(w);
        auto *title = w->findChild<QLabel *>(QStringLiteral("lblCalDay"));
        auto *next = w->findChild<QPushButton *>(QStringLiteral("CmdFinish"));
        auto *combo = w->findChild<QComboBox *>(QStringLiteral("Combo"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Configure Page Templates"));
        QCOMPARE(title->text(), QStringLiteral("Monday"));
        QCOMPARE(next->text(), QStringLiteral("Tue"));
        QCOMPARE(combo->itemText(1), QStringLiteral(" Office Closed"));
        QCOMPARE(w->editor().grid().text(14, 1), QStringLiteral("LUNCH"));

        QTest::keyClick(w->grid(), Qt::Key_F7);
        QCOMPARE(title->text(), QStringLiteral("Tuesday"));
        QCOMPARE(next->text(), QStringLiteral("Wed"));
        TemplateStation::type(w, 12, 2, QStringLiteral("LUNCH")); // 11:00 AM
        TemplateStation::type(w, 23, 4, QStringLiteral("****"));  // 04:30 PM
        QTest::keyClick(w->grid(), Qt::Key_F7);

        // Wednesday closed, opened and closed again by the list: the look follows at once.
        QTest::keyClick(w->grid(), Qt::Key_F8);
        QVERIFY(combo->hasFocus());
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(w->editor().grid().backColor(), SystemDesktopColor);
        QTest::keyClick(combo, Qt::Key_Up);
        QCOMPARE(w->editor().grid().backColor(), FreeSlotColor);
        QTest::keyClick(combo, Qt::Key_Down);
        QVERIFY(w->grid()->hasFocus());
        for (const char *day : {"Thursday", "Friday", "Saturday"}) {
            QTest::keyClick(w->grid(), Qt::Key_F7);
            QCOMPARE(title->text(), QLatin1String(day));
        }
        QCOMPARE(next->text(), QStringLiteral("Sun"));
        QTest::keyClick(w->grid(), Qt::Key_F7);
        QCOMPARE(next->text(), QStringLiteral("Finish"));
        QCOMPARE(w->editor().closed(), true); // Sunday, as stored

        // The window is wider than the stored widths: the view stretches, the stored widths stay.
        QVERIFY(w->grid()->columnWidth(1) > twipsToPixels(1900));
        s.dialogs.answer(Dialogs::AnsNo);
        QTest::keyClick(w->grid(), Qt::Key_F7);
        QCOMPARE(s.dialogs.last().text, QStringLiteral("Do you wish to review your templates?"));
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Templates Review?"));
        QCOMPARE(s.dialogs.last().buttons, Dialogs::YesNo);
        auto *dayPage = qobject_cast<DayPageWindow *>(s.switcher.current());
        QVERIFY(dayPage);

        QCOMPARE(s.setup(QStringLiteral("Mon")), monday);
        QCOMPARE(s.setup(QStringLiteral("chk4")), QStringLiteral("1")); // Wednesday
        QCOMPARE(s.setup(QStringLiteral("chk3")), QStringLiteral("0"));
        QCOMPARE(s.setup(QStringLiteral("cwidth")), QStringLiteral("1100%1900%1900%1900%1900%"));

        DayPage &page = dayPage->page();
        QVERIFY(page.openDate(QDate(2031, 3, 4))); // a Tuesday not made before
        QVERIFY(!page.closed());
        QCOMPARE(page.grid().text(12, 2), QString());
        QCOMPARE(page.grid().cellBackColor(12, 2), LunchColor);
        QCOMPARE(page.grid().text(23, 4), QStringLiteral("****"));
        QCOMPARE(page.enterSlot(12, 2), DayPage::SlotEnter::Lunch);
        QCOMPARE(page.grid().text(12, 1), QString());
        QCOMPARE(page.grid().cellBackColor(12, 1), FreeSlotColor);
        QVERIFY(page.openDate(QDate(2031, 3, 5)));
        QVERIFY(page.closed());
        QCOMPARE(
            s.db->scalar(QStringLiteral("SELECT \"Clinic\" FROM \"tbl_Appt\" WHERE caldate = '2031-03-05'")).toInt(),
            1);
    }

    void clipboardKeepsEveryCellItsOwn()
    {
        TemplateStation s(m_onServer);
        TemplatesWindow *w = s.openEditor();
        QVERIFY(w);
        GridModel &g = w->editor().grid();
        GridView *view = w->grid();
        QClipboard *clip = QGuiApplication::clipboard();

        TemplateStation::type(w, 8, 1, QStringLiteral("Tyres"));
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, TemplateStation::cellPoint(view, 8, 1));
        auto *popup = w->findChild<QMenu *>(QStringLiteral("mnuGrid"));
        QVERIFY(popup->isVisible());
        popup->close();
        menu(w, "mnuCopy");
        QCOMPARE(clip->text(), QStringLiteral("Tyres"));
        TemplateStation::click(view, 9, 2);
        menu(w, "mnuPaste");
        QCOMPARE(g.text(9, 2), QStringLiteral("Tyres"));

        // A block: plain click on its first cell, Shift-click on its last.
        TemplateStation::click(view, 8, 1);
        TemplateStation::click(view, 9, 2, Qt::ShiftModifier);
        QCOMPARE(g.focusRect(), int(GridModel::FocusNone));
        QCOMPARE(g.backColorSel(), BlockSelectColor);
        menu(w, "mnuCut");
        QCOMPARE(clip->text(), QStringLiteral("Tyres\t\r\tTyres"));
        QCOMPARE(g.text(8, 1), QString());
        QCOMPARE(g.text(9, 2), QString());
        QCOMPARE(g.focusRect(), int(GridModel::FocusHeavy));
        TemplateStation::click(view, 10, 3);
        menu(w, "mnuPaste");
        QCOMPARE(g.text(10, 3), QStringLiteral("Tyres"));
        QCOMPARE(g.text(11, 4), QStringLiteral("Tyres"));
        QCOMPARE(g.text(11, 3), QString());
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(g.text(10, 3), QString());

        // After a single-cell copy, text of several cells goes into the one cell, separators cleaned.
        menu(w, "mnuCopy");
        clip->setText(QStringLiteral("Staff\tmeeting\r\nall bays\r\n"));
        TemplateStation::click(view, 16, 1);
        menu(w, "mnuPaste");
        QCOMPARE(g.text(16, 1), QStringLiteral("Staff meeting all bays"));
        QCOMPARE(g.text(16, 2), QString());
        QCOMPARE(g.text(17, 1), QString());

        // Nor can the edit box put a separator into a cell.
        TemplateStation::click(view, 18, 2);
        QTest::keyClick(view, Qt::Key_Return);
        w->findChild<QLineEdit *>(QStringLiteral("txtEdit"))->insert(QStringLiteral("Fleet\tday"));
        QCOMPARE(g.text(18, 2), QStringLiteral("Fleet day"));

        QTest::keyClick(view, Qt::Key_F7);
        const PageText::Cells stored = PageText::parse(s.setup(QStringLiteral("Mon")));
        QCOMPARE(stored.size(), 24); // rows 2 to 25
        for (const QStringList &row : stored)
            QCOMPARE(row.size(), 4);
        QCOMPARE(s.templateCell(QStringLiteral("Mon"), 16, 1), QStringLiteral("Staff meeting all bays"));
        QCOMPARE(s.templateCell(QStringLiteral("Mon"), 11, 4), QStringLiteral("Tyres"));
    }

    void openingDeletesOnlyUntouchedPages()
    {
        TemplateStation s(m_onServer);
        AppState other;
        other.setDialogs(&s.dialogs);
        DayPage page(other);
        page.openDatabase(s.sharedOpened());
        const QDate march(QDate::currentDate().year() - 1, 3, 1);
        const QDate shownOnly = march.addDays((8 - march.dayOfWeek()) % 7); // a Monday, lunch cleared
        const QDate booked = shownOnly.addDays(1);
        const QDate sundayMemo = shownOnly.addDays(7 - shownOnly.dayOfWeek() + 7);
        for (const QDate &d : {shownOnly, booked, sundayMemo})
            QVERIFY(page.openDate(d)); // made from the templates and shown once
        s.db->execute(
            QStringLiteral(
                "INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bName\") VALUES (?, 1, 8, 'Ann Lee')"),
            {booked});
        // A closed Sunday keeps its template text as made: only the memo was written.
        s.db->execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Memo\" = 'Stock take' WHERE caldate = ?"),
                      {sundayMemo});
        const auto pages = [&] {
            QStringList out;
            for (const QDate &d : {shownOnly, booked, sundayMemo})
                if (s.db->scalar(QStringLiteral("SELECT COUNT(*) FROM \"tbl_Appt\" WHERE caldate = ?"), {d}).toInt())
                    out << d.toString(Qt::ISODate);
            return out;
        };
        QCOMPARE(pages().size(), 3);

        QVERIFY(s.openEditor());
        QCOMPARE(pages(), QStringList({booked.toString(Qt::ISODate), sundayMemo.toString(Qt::ISODate)}));
    }

    void theCloseBoxAsksBeforeDroppingEdits()
    {
        TemplateStation s(m_onServer);
        TemplatesWindow *w = s.openEditor();
        QVERIFY(w);
        auto *help = w->findChild<QLabel *>(QStringLiteral("lblHelp"));
        QTest::keyClick(w->grid(), Qt::Key_F1);
        QVERIFY(help->isVisible());
        QVERIFY(help->text().endsWith(QLatin1String("press F1 Key to turn off this Help message. Thank you.")));
        QTest::keyClick(w->grid(), Qt::Key_F1);
        QVERIFY(!help->isVisible());
        QTest::keyClick(w->grid(), Qt::Key_F7);
        QTest::keyClick(w->grid(), Qt::Key_F7);
        TemplateStation::type(w, 8, 1, QStringLiteral("Training"));
        s.dialogs.answer(Dialogs::AnsYes);
        w->close();
        QCOMPARE(s.dialogs.last().text, QStringLiteral("Do you wish to save the changes made to this template?"));
        QCOMPARE(s.dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QCOMPARE(s.switcher.current()->objectName(), QStringLiteral("frmMain"));
        QCOMPARE(s.templateCell(QStringLiteral("Wed"), 8, 1), QStringLiteral("Training"));

        // No leaves without storing; nothing typed, nothing asked.
        w = s.openEditor();
        TemplateStation::type(w, 8, 1, QStringLiteral("Inventory"));
        s.dialogs.answer(Dialogs::AnsNo);
        w->close();
        QCOMPARE(s.templateCell(QStringLiteral("Mon"), 8, 1), QString());
        const int asked = s.dialogs.count();
        w = s.openEditor();
        w->close();
        QCOMPARE(s.dialogs.count(), asked);
        QCOMPARE(s.switcher.current()->objectName(), QStringLiteral("frmMain"));
    }
};
class TemplateEditorTestFile : public TemplateEditorTest {
    Q_OBJECT
public:
    TemplateEditorTestFile() : TemplateEditorTest(false) {}
};
class TemplateEditorTestPg : public TemplateEditorTest {
    Q_OBJECT
public:
    TemplateEditorTestPg() : TemplateEditorTest(true) {}
};
static testreg::AddOnBothEngines<TemplateEditorTestFile, TemplateEditorTestPg> s_templates("TemplateEditorTest",
                                                                                           "TemplateEditorTestPg");
#include "TemplateEditorTest.moc"
