#include "core/Station.h"

#include "core/AppState.h"
#include "store/Database.h"

namespace {
const QString FirstRecord = QStringLiteral("(SELECT min(rowid) FROM tbl_netset)");
}

StationRecord Station::read(const QString &stationDbPath)
{
    Database db(stationDbPath);
    const ResultRows r =
        db.select(QStringLiteral("SELECT server, net, Main FROM tbl_netset WHERE rowid = ") + FirstRecord);
    if (r.isEmpty())
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    StationRecord s;
    s.server = r.value(0, QStringLiteral("server")).toString();
    s.net = r.value(0, QStringLiteral("net")).toInt() != 0;
    s.main = r.value(0, QStringLiteral("Main")).toInt() != 0;
    return s;
}

void Station::write(const QString &stationDbPath, const StationRecord &record)
{
    Database db(stationDbPath);
    const int n = db.execute(QStringLiteral("UPDATE tbl_netset SET server = ?, net = ?, Main = ?, "
                                            "rowver = rowver + 1 WHERE rowid = ")
                                 + FirstRecord,
                             {record.server, record.net, record.main});
    if (n != 1)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
}

void Station::setNet(const QString &stationDbPath, bool net)
{
    Database db(stationDbPath);
    const int n = db.execute(
        QStringLiteral("UPDATE tbl_netset SET net = ?, rowver = rowver + 1 WHERE rowid = ") + FirstRecord, {net});
    if (n != 1)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
}

QString SharedDbPath(StationPaths &paths)
{
    paths.setServerFolder(Station::read(paths.stationDbPath()).server);
    return paths.sharedDbPath();
}

bool IsFileServerStation(const StationPaths &paths) { return Station::read(paths.stationDbPath()).main; }
