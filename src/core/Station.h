#pragma once
#include <QString>

class StationPaths;

// The single record of tbl_netset in a station's dbn.mdb.
struct StationRecord {
    QString server; // server folder (file-server station) or mapped drive (client)
    bool net = false;
    bool main = false;
};

namespace Station {
// Read from the file every time: another window or an installation may have changed it.
StationRecord read(const QString &stationDbPath);
void write(const QString &stationDbPath, const StationRecord &record);
void setNet(const QString &stationDbPath, bool net);
// How many earlier back-ups this station keeps beside the newest one; fallback until it is set
// (a station file from before the setting has no field for it: the first setting adds it).
int keptBackups(const QString &stationDbPath, int fallback);
void setKeptBackups(const QString &stationDbPath, int count);
} // namespace Station

// The shared-database rule every window follows when it loads: read the server folder from this
// station's dbn.mdb, keep it in serverFolder, and return the path of db.mdb inside it.
QString sharedDbPath(StationPaths &paths);

// True on the file-server station. Read afresh on every call; nothing caches the role.
bool isFileServerStation(const StationPaths &paths);
