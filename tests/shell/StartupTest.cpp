#include "StationFixture.h"
#include "TestRegistry.h"
#include "maint/NetworkWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/SplashWindow.h"

#include <QLabel>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

class StartupChainTest : public QObject {
    Q_OBJECT
private slots:
    void uninstalledStationStartsWithInstallationWindow()
    {
        StationFixture f;
        QWidget *first = ShellWindows::startUp(f.state);
        QVERIFY(first);
        QCOMPARE(first->objectName(), QStringLiteral("frmNet"));
        QVERIFY(first->isVisible());
        QVERIFY(!StationFixture::window(QStringLiteral("frmSplash")));
        QCOMPARE(f.dialogs.count(), 0);
    }

    void installedStationGoesStraightToSplash()
    {
        StationFixture f;
        f.install(false);
        QWidget *first = ShellWindows::startUp(f.state);
        auto *splash = qobject_cast<SplashWindow *>(first);
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QVERIFY(!StationFixture::window(QStringLiteral("frmNet")));
        // The menu is loaded behind the splash, not shown, and has found the server folder.
        QVERIFY(splash->menu());
        QVERIFY(!splash->menu()->isVisible());
        QCOMPARE(f.state.paths().serverFolder(), f.serverFolder());
        QVERIFY(splash->timer()->isActive());
        QCOMPARE(splash->timer()->interval(), 20000);
        const auto *platform = splash->findChild<QLabel *>(QStringLiteral("lblPlatform"));
        QCOMPARE(platform->text(), QStringLiteral("Platform: ") + QSysInfo::prettyProductName());
#ifndef Q_OS_WIN
        QVERIFY(!platform->text().contains(QLatin1String("Win9x")));
#endif
    }

    void splashEndsOnFirstKeyOrPress_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("key") << "key";
        QTest::newRow("press on window") << "window";
        QTest::newRow("click on product name") << "lblProductName";
        QTest::newRow("click on version") << "lblVersion";
    }
    void splashEndsOnFirstKeyOrPress()
    {
        QFETCH(QString, how);
        StationFixture f;
        f.install(true);
        auto *splash = qobject_cast<SplashWindow *>(ShellWindows::startUp(f.state));
        QVERIFY(splash);
        QPointer<MainMenuWindow> menu = splash->menu();
        if (how == QLatin1String("key"))
            QTest::keyClick(splash, Qt::Key_A);
        else if (how == QLatin1String("window"))
            QTest::mousePress(splash, Qt::LeftButton, {}, QPoint(3, 3));
        else
            QTest::mousePress(splash->findChild<QLabel *>(how), Qt::LeftButton);
        QVERIFY(menu && menu->isVisible());
        QVERIFY(!splash->isVisible());
        QCOMPARE(f.switcher.current(), menu.data());
    }

    void unreachableSharedDatabaseEndsProgram()
    {
        StationFixture f;
        Station::write(f.state.paths().stationDbPath(), {f.disk.file(QStringLiteral("nowhere")), true, false});
        f.dialogs.answer(Dialogs::AnsNo); // not the installation window again
        QVERIFY(!ShellWindows::startUp(f.state));
        QVERIFY(f.switcher.programEnded());
        QCOMPARE(f.dialogs.count(), 1);
        QVERIFY(f.dialogs.last().text.contains(QLatin1String("nowhere")));
        QVERIFY(!StationFixture::window(QStringLiteral("frmSplash")));
    }
};
TORVANE_TEST(StartupChainTest)
#include "StartupTest.moc"
