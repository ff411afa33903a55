#pragma once
#include "ScriptedDialogs.h"
#include "SharedDb.h"
#include "TestDb.h"
#include "core/AppState.h"
#include "core/Station.h"
#include "core/WindowSwitcher.h"
#include "shell/ShellWindows.h"
#include "store/Database.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QWidget>

// One station on real files: a program folder with the shipped dbn.mdb and db.mdb, and a server
// folder beside it. Windows left open are destroyed with the fixture.
struct StationFixture {
    TestFolder program;
    TestFolder disk; // holds the server folder and any other "drive"
    ScriptedDialogs dialogs;
    WindowSwitcher switcher;
    AppState state;

    StationFixture()
    {
        program.copySeed(QStringLiteral("dbn.mdb"));
        program.copySeed(QStringLiteral("db.mdb"));
        state.paths().setProgramFolder(program.path());
        state.setDialogs(&dialogs);
        state.setSwitcher(&switcher);
        ShellWindows::install(state);
    }
    ~StationFixture() { closeAllWindows(); }

    QString serverFolder() const { return disk.file(QStringLiteral("server")); }
    QString sharedDb() const { return QDir(serverFolder()).filePath(QStringLiteral("db.mdb")); }
    // The shared database the station opens: the server folder's db.pgconn, else its db.mdb.
    QString sharedOpened() const { return Database::sharedIn(serverFolder()); }

    // An installed station: the shared database in the server folder, tbl_netset pointing at it.
    void install(bool fileServer)
    {
        QDir().mkpath(serverFolder());
        QFile::copy(program.file(QStringLiteral("db.mdb")), sharedDb());
        QFile(sharedDb()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Station::write(state.paths().stationDbPath(), {serverFolder(), true, fileServer});
    }

    // The same on a database on the test server: the server folder holds its db.pgconn.
    void installOnServer(bool fileServer)
    {
        QDir().mkpath(serverFolder());
        seedServer(serverFolder());
        Station::write(state.paths().stationDbPath(), {serverFolder(), true, fileServer});
    }

    // A drive (folder) on the test disk.
    QString drive(const QString &name) const
    {
        QDir().mkpath(disk.file(name));
        return disk.file(name);
    }

    static QWidget *window(const QString &objectName)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == objectName && w->isVisible())
                return w;
        return nullptr;
    }

    static void closeAllWindows()
    {
        QList<QPointer<QWidget>> all;
        for (QWidget *w : QApplication::topLevelWidgets())
            all << w;
        for (const QPointer<QWidget> &w : all) {
            // A popup (a completer's list) has no parent but belongs to its owner, which deletes it.
            if (w && !w->parentWidget() && !qobject_cast<QWidget *>(w->parent()) && w->windowType() != Qt::Popup) {
                w->setProperty("torvaneClosedByProgram", true);
                delete w.data();
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
