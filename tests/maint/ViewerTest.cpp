#include "StationFixture.h"
#include "TestRegistry.h"
#include "maint/HelpWindow.h"
#include "maint/ReadmeWindow.h"
#include "store/Database.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class ViewerTest : public QObject {
    Q_OBJECT
private slots:
    void readmeThenLicenceThenMenuFromProgramFolder()
    {
        StationFixture f;
        f.install(false);
        {
            Database shared(f.sharedDb()); // the server's copy must not be the one shown
            shared.execute(QStringLiteral("UPDATE tbl_Setup SET Readme = 'server readme', Licence = 'server licence'"));
            Database own(f.state.paths().installDbPath());
            own.execute(QStringLiteral("UPDATE tbl_Setup SET Readme = ?, Licence = ?"),
                        {QStringLiteral("Read me first"), QStringLiteral("Licence terms")});
        }
        auto *w = new ReadmeWindow(f.state);
        f.switcher.show(w);
        auto *text = w->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        auto *button = w->findChild<QPushButton *>(QStringLiteral("Command1"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Readme"));
        QCOMPARE(text->toPlainText(), QStringLiteral("Read me first"));
        QCOMPARE(button->text(), QStringLiteral("License Agreement"));
        QTest::keyClick(button, Qt::Key_Return);
        QCOMPARE(w->windowTitle(), QStringLiteral("License"));
        QCOMPARE(text->toPlainText(), QStringLiteral("Licence terms"));
        QCOMPARE(button->text(), QStringLiteral("Main Menu"));
        QTest::keyClick(button, Qt::Key_Return);
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmMain"));
        QVERIFY(!w->isVisible());
    }

    void readmeCloseBoxReturnsToMenu()
    {
        StationFixture f;
        f.install(true);
        auto *w = new ReadmeWindow(f.state);
        f.switcher.show(w);
        w->close();
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmMain"));
    }

    void escapeClosesBothViewers()
    {
        StationFixture f;
        f.install(true);
        auto *readme = new ReadmeWindow(f.state);
        f.switcher.show(readme);
        QVERIFY(QTest::qWaitForWindowActive(readme));
        QTest::keyClick(readme->findChild<QPlainTextEdit *>(QStringLiteral("Text1")), Qt::Key_Escape);
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmMain"));
        QVERIFY(!readme->isVisible());

        QPointer<HelpWindow> help = new HelpWindow(f.state);
        help->show();
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keyClick(help->findChild<QPlainTextEdit *>(QStringLiteral("Text1")), Qt::Key_Escape);
        QTRY_VERIFY(!help); // closed, and gone with it
    }

    void helpShowsProgramFolderHelpText()
    {
        StationFixture f;
        {
            Database own(f.state.paths().installDbPath());
            own.execute(QStringLiteral("UPDATE tbl_Help SET Help = ?"), {QStringLiteral("How to book a slot")});
        }
        HelpWindow w(f.state);
        QCOMPARE(w.windowTitle(), QStringLiteral("Help File"));
        auto *text = w.findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QCOMPARE(text->toPlainText(), QStringLiteral("How to book a slot"));
        QVERIFY(text->isReadOnly());
    }
};
TORVANE_TEST(ViewerTest)
#include "ViewerTest.moc"
