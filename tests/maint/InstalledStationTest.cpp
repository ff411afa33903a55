#include "StationFixture.h"
#include "TestRegistry.h"
#include "core/Programs.h"
#include "maint/Installation.h"
#include "maint/NetworkWindow.h"
#include "store/AppError.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QTest>

namespace {
// An installed tree as `cmake --install` leaves it: bin/, lib/torvane/downsize, share/torvane/.
struct InstalledTree {
    TestFolder root;
    QString prefix() const { return root.file(QStringLiteral("usr")); }
    QString bin() const { return QDir(prefix()).filePath(QStringLiteral("bin")); }
    QString share() const { return QDir(prefix()).filePath(QStringLiteral("share/torvane")); }
    QString lib() const { return QDir(prefix()).filePath(QStringLiteral("lib/torvane")); }
    QString home() const { return root.file(QStringLiteral("home")); }
    QString userData() const { return QDir(home()).filePath(QStringLiteral(".local/share/Torvane")); }

    InstalledTree()
    {
        for (const QString &d : {bin(), share(), lib()})
            QDir().mkpath(d);
        for (const char *name : {"db.mdb", "dbn.mdb", "Info.doc"})
            QFile::copy(TestFolder::buildFile(QLatin1String(name)), QDir(share()).filePath(QLatin1String(name)));
        QFile exe(QDir(lib()).filePath(downsizeFileName()));
        if (exe.open(QIODevice::WriteOnly))
            exe.write("#!/bin/sh\n");
        exe.close();
        exe.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Every file under the prefix with a hash of its contents.
    QStringList listing() const
    {
        QStringList all;
        QDirIterator it(prefix(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            const QByteArray hash = f.open(QIODevice::ReadOnly)
                                        ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex()
                                        : QByteArray("dir");
            all << path + QLatin1Char(' ') + QString::fromLatin1(hash);
        }
        all.sort();
        return all;
    }
};
} // namespace

class InstalledStationTest : public QObject {
    Q_OBJECT
private slots:
    void layoutDecidesWhereFilesAre()
    {
        InstalledTree t;
        const StationPaths installed = StationPaths::forProgram(t.bin(), t.userData());
        QVERIFY(installed.installed());
        QCOMPARE(installed.stationDbPath(), QDir(t.userData()).filePath(QStringLiteral("dbn.mdb")));
        QCOMPARE(installed.installDbPath(), QDir(t.share()).filePath(QStringLiteral("db.mdb")));
        QCOMPARE(installed.shippedFile(QStringLiteral("Info.doc")),
                 QDir(t.share()).filePath(QStringLiteral("Info.doc")));
        QCOMPARE(installed.shippedFile(downsizeFileName()), QDir(t.lib()).filePath(downsizeFileName()));

        // A build folder, a bin/ without the shipped data beside it, and the shipped data beside a
        // folder that is not bin/: each keeps everything in the program's own folder.
        const QString other = QDir(t.prefix()).filePath(QStringLiteral("games"));
        QDir().mkpath(other);
        const QString bare = t.root.file(QStringLiteral("opt/bin"));
        QDir().mkpath(bare);
        for (const QString &dir : {t.root.path(), bare, other}) {
            const StationPaths p = StationPaths::forProgram(dir, t.userData());
            QVERIFY2(!p.installed(), qPrintable(dir));
            QCOMPARE(p.stationDbPath(), QDir(dir).filePath(QStringLiteral("dbn.mdb")));
            QCOMPARE(p.installDbPath(), QDir(dir).filePath(QStringLiteral("db.mdb")));
            QCOMPARE(p.shippedFile(downsizeFileName()), QDir(dir).filePath(downsizeFileName()));
        }
    }

    void installedStationInstallsFromSharedDataWithoutWritingThere()
    {
        InstalledTree t;
        const QStringList before = t.listing();
        StationFixture f;
        f.state.paths() = StationPaths::forProgram(t.bin(), t.userData());
        f.state.paths().makeStationDb();
        QVERIFY(!Station::read(f.state.paths().stationDbPath()).net);

        auto *net = qobject_cast<NetworkWindow *>(ShellWindows::startUp(f.state));
        QVERIFY(net);
        const QString server = QDir(t.home()).filePath(QStringLiteral("Torvane Server"));
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerInput(server);
        net->next();
        QCOMPARE(f.switcher.current()->objectName(), QStringLiteral("frmSplash"));
        for (const QString &name : Installation::serverFiles())
            QCOMPARE(QFileInfo(QDir(server).filePath(name)).size(),
                     QFileInfo(f.state.paths().shippedFile(name)).size());
        QVERIFY(QFileInfo(QDir(server).filePath(downsizeFileName())).isExecutable());
        const StationRecord s = Station::read(QDir(t.userData()).filePath(QStringLiteral("dbn.mdb")));
        QCOMPARE(s.server, server);
        QVERIFY(s.net && s.main);

        // The next start keeps the station's own file: it is installed and goes to the splash.
        StationFixture::closeAllWindows();
        f.state.paths().makeStationDb();
        QCOMPARE(ShellWindows::startUp(f.state)->objectName(), QStringLiteral("frmSplash"));
        QCOMPARE(t.listing(), before);
    }

    void stationFileThatCannotBeMadeIsReported()
    {
        InstalledTree t;
        // A file where the data folder should be: no one, not even root, can make the folder.
        QDir().mkpath(t.home());
        QFile blocker(QDir(t.home()).filePath(QStringLiteral(".local")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const StationPaths blocked = StationPaths::forProgram(t.bin(), t.userData());
        try {
            blocked.makeStationDb();
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 76);
        }
        QFile::remove(QDir(t.share()).filePath(QStringLiteral("dbn.mdb")));
        const StationPaths unshipped = StationPaths::forProgram(t.bin(), t.root.file(QStringLiteral("data")));
        try {
            unshipped.makeStationDb();
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 53);
        }
        QVERIFY(!QFileInfo::exists(t.root.file(QStringLiteral("data"))));
    }
};

TORVANE_TEST(InstalledStationTest)
#include "InstalledStationTest.moc"
