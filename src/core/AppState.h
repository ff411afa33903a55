#pragma once
#include "core/WindowMakers.h"
#include "store/StationRegistry.h"

#include <QDate>
#include <QString>
#include <QStringList>

class Dialogs;
class WindowSwitcher;

// Where this station's files live. Run from its build folder, everything lies beside the program:
// dbn.mdb, the installation copy of db.mdb, downsize and Info.doc. Installed (the program in a bin/
// whose ../share/torvane holds db.mdb), the shipped files are read from share/torvane and
// lib/torvane, and the station's own dbn.mdb lives in the user's data folder, since the program's
// folders belong to the system. The server folder holds the shared db.mdb.
class StationPaths {
public:
    // The layout the program at programDir was started in; userDataFolder is where an installed
    // station keeps its own files.
    static StationPaths forProgram(const QString &programDir, const QString &userDataFolder);

    bool installed() const { return m_installed; }
    // The station's own folder: its dbn.mdb, and where a typed relative path starts.
    const QString &programFolder() const { return m_programFolder; }
    // Everything in one folder, as the build leaves it.
    void setProgramFolder(const QString &folder);
    const QString &serverFolder() const { return m_serverFolder; }
    void setServerFolder(const QString &folder) { m_serverFolder = folder; }

    // A file the program ships (db.mdb, dbn.mdb, Info.doc, downsize), where it was installed.
    QString shippedFile(const QString &name) const;
    QString stationDbPath() const; // dbn.mdb in the station's own folder
    QString installDbPath() const; // the shipped db.mdb
    QString sharedDbPath() const;  // db.pgconn in serverFolder when there is one, else db.mdb

    // Gives an installed station its own dbn.mdb, a copy of the shipped one, on its first start;
    // an existing one is kept. Throws AppError when the folder or the copy cannot be made.
    void makeStationDb() const;

private:
    bool m_installed = false;
    QString m_programFolder;
    QString m_dataFolder;   // db.mdb, dbn.mdb, Info.doc as shipped
    QString m_helperFolder; // downsize as shipped
    QString m_serverFolder;
};

// This station's registration on the shared database, and how long another station may stay
// silent before it counts as stopped.
struct StationRegistration {
    qint64 id = 0; // 0: not registered; such a station never takes another's claim over
    int timeoutMs = StationRegistry::DefaultTimeoutMs;
    // Registers on the shared database the station works on and beats while it runs; the
    // station's row goes with it on a clean exit.
    StationHeartbeat heartbeat;
};

// The page shown and its layout, as the day page last drew it.
struct PageLayout {
    QDate pageDate;
    QString openTime;
    QString closeTime;
    int slotMinutes = 30;
    int techCount = 0;
    QStringList techSites; // index 0 empty, items from 1
    QStringList techNames; // index 0 empty, items from 1
    int savedRow = 0;
    int savedCol = 0;
};

// Program-wide values of one station, grouped by who uses them. Owned by the application and
// handed to every window, so a test can run two independent stations in one process; a class
// that needs one group is handed that group only.
class AppState {
public:
    StationPaths &paths() { return m_paths; }
    const StationPaths &paths() const { return m_paths; }

    Dialogs *dialogs() const { return m_dialogs; }
    void setDialogs(Dialogs *dialogs) { m_dialogs = dialogs; }
    WindowSwitcher *switcher() const { return m_switcher; }
    void setSwitcher(WindowSwitcher *switcher) { m_switcher = switcher; }
    WindowMakers &windows() { return m_windows; }
    StationRegistration &registration() { return m_registration; }
    const StationRegistration &registration() const { return m_registration; }

    bool exitAfterBackup() const { return m_exitAfterBackup; }
    void setExitAfterBackup(bool on) { m_exitAfterBackup = on; }

    PageLayout &layout() { return m_layout; }
    const PageLayout &layout() const { return m_layout; }

private:
    StationPaths m_paths;
    Dialogs *m_dialogs = nullptr;
    WindowSwitcher *m_switcher = nullptr;
    WindowMakers m_windows;
    StationRegistration m_registration;
    bool m_exitAfterBackup = false;
    PageLayout m_layout;
};
