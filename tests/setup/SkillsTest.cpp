#include "TemplateStation.h"
#include "core/Twips.h"
#include "daypage/DayPageWindow.h"
#include "setup/SkillViewWindow.h"
#include "setup/SkillsWindow.h"
#include "shell/ShellWindows.h"

#include <QCheckBox>
#include <QLabel>

// The skill editor opened from the template editor and the skill viewer of the day page, on the
// Skills list of the settings. On both engines.
class SkillsTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit SkillsTest(bool onServer) : m_onServer(onServer) {}

    static QStringList entries(TemplateStation &s) { return s.setup(QStringLiteral("Skills")).split(QLatin1Char('%')); }
    static QCheckBox *box(QWidget *w, int i)
    {
        return w->findChild<QCheckBox *>(QStringLiteral("chkSkills_%1").arg(i));
    }
    static QStringList shown(QWidget *viewer)
    {
        QStringList out;
        for (int i = 1; i <= SkillViewWindow::Lines; ++i)
            out << viewer->findChild<QLabel *>(QStringLiteral("lblSkills_%1").arg(i))->text();
        return out;
    }

private slots:
    void aTickReachesOneTechnicianAndTheDayPage()
    {
        TemplateStation s(m_onServer);
        const QStringList before = entries(s);
        TemplatesWindow *w = s.openEditor();
        QVERIFY(w);
        QTest::keyClick(w->grid(), Qt::Key_F7);
        TemplateStation::type(w, 8, 1, QStringLiteral("Dentist"));

        TemplateStation::click(w->grid(), 10, 3, Qt::AltModifier);
        QPointer<QWidget> editor = w->skillEditor();
        QVERIFY(editor && editor->isVisible());
        const QString third = w->editor().grid().text(1, 3);
        QVERIFY(!third.isEmpty());
        QCOMPARE(editor->windowTitle(), QStringLiteral("Skill Levels - ") + third);
        QVERIFY(QTest::qWaitForWindowActive(editor));
        const QPoint gridAt = w->grid()->mapTo(w, QPoint(0, 0));
        const QRect cell = w->grid()->cellRect(10, 3);
        const int left = int(pixelsToTwips(cell.left()));
        const int x = int(pixelsToTwips(gridAt.x()))
                      + (left > 6000 ? left - SkillsWindow::Width + 50 : left + int(pixelsToTwips(cell.width())) + 60);
        QCOMPARE(editor->pos(),
                 w->mapToGlobal(QPoint(twipsToPixels(x), twipsToPixels(int(pixelsToTwips(gridAt.y())) + 650))));
        QCOMPARE(box(editor, 2)->text(), QStringLiteral("Oil && Filters && Maintenance"));
        for (int i = 1; i <= 11; ++i) // the seed's third technician holds 1 to 4, 9 and 10
            QCOMPARE(box(editor, i)->isChecked(), (i <= 4 || i == 9 || i == 10));
        box(editor, 5)->click(); // Electrical

        // Alt+click on another technician with the editor open: that one's editor, at once.
        TemplateStation::click(w->grid(), 10, 2, Qt::AltModifier);
        QPointer<QWidget> second = w->skillEditor();
        QVERIFY(second && second != editor && second->isVisible());
        QVERIFY(!editor || !editor->isVisible());
        QCOMPARE(second->windowTitle(), QStringLiteral("Skill Levels - ") + w->editor().grid().text(1, 2));
        editor = second;

        // A plain click in the grid closes and stores it; the editor is active again and keeps the
        // weekday and its edits.
        TemplateStation::click(w->grid(), 12, 2);
        QVERIFY(!editor || !editor->isVisible());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCoreApplication::processEvents();
        QStringList expected = before;
        expected[2] = QStringLiteral("1 1 1 1 1 0 0 0 1 1 0");
        QCOMPARE(entries(s), expected);
        QCOMPARE(w->editor().dayTitle(), QStringLiteral("Tuesday"));
        QCOMPARE(w->editor().grid().text(8, 1), QStringLiteral("Dentist"));
        QVERIFY(w->editor().changed());

        auto *page = qobject_cast<DayPageWindow *>(s.state.windows().dayPage(s.state));
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
        const QPoint at = page->grid()->viewport()->mapFrom(page->grid(), page->grid()->cellRect(8, 3).center());
        QTest::mouseClick(page->grid()->viewport(), Qt::RightButton, {}, at);
        QPointer<QWidget> viewer = page->skillViewer();
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Tech Skill Levels - ") + third);
        QCOMPARE(shown(viewer), QStringList({"General Repair", "Oil & Filters & Maintenance", "Wheel Alignment",
                                             "Front End Suspension", "Electrical"}));
        QTest::mouseClick(page->grid()->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(!viewer || !viewer->isVisible());
        delete page;
    }

    void aShortListGrowsForTheTechnicianEdited()
    {
        TemplateStation s(m_onServer);
        // Written before two technicians were added; the first holds seven skills.
        s.db->execute(
            QStringLiteral("UPDATE \"tbl_Setup\" SET \"Skills\" = '1 1 1 1 1 1 1 0 0 0 0%0 0 0 0 0 0 0 0 0 1 0'"));
        TemplatesWindow *w = s.openEditor();
        QVERIFY(w);
        TemplateStation::click(w->grid(), 10, 4, Qt::AltModifier);
        QPointer<QWidget> editor = w->skillEditor();
        QVERIFY(editor);
        for (int i = 1; i <= 11; ++i)
            QVERIFY(!box(editor, i)->isChecked());
        box(editor, 10)->click(); // Body
        editor->close();
        QVERIFY(!editor || !editor->isVisible());
        QCOMPARE(
            s.setup(QStringLiteral("Skills")),
            QStringLiteral("1 1 1 1 1 1 1 0 0 0 0%0 0 0 0 0 0 0 0 0 1 0%0 0 0 0 0 0 0 0 0 0 0%0 0 0 0 0 0 0 0 0 1 0"));

        SkillViewWindow first(s.state, 1, QPoint(), nullptr);
        QCOMPARE(shown(&first), QStringList({"General Repair", "Oil & Filters & Maintenance", "Wheel Alignment",
                                             "Front End Suspension", "Electrical"}));
        SkillViewWindow fourth(s.state, 4, QPoint(), nullptr);
        QCOMPARE(shown(&fourth), QStringList({"Body", "", "", "", ""}));
    }
};
class SkillsTestFile : public SkillsTest {
    Q_OBJECT
public:
    SkillsTestFile() : SkillsTest(false) {}
};
class SkillsTestPg : public SkillsTest {
    Q_OBJECT
public:
    SkillsTestPg() : SkillsTest(true) {}
};
static testreg::AddOnBothEngines<SkillsTestFile, SkillsTestPg> s_skills("SkillsTest", "SkillsTestPg");
#include "SkillsTest.moc"
