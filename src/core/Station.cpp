#include "core/Station.h"

#include "core/AppState.h"
#include "store/Database.h"
#include "store/Engine.h"

namespace {
// The station's one record: WHERE plus the id of the first record.
QString firstRecord(const Database &db)
{
    return QStringLiteral(" WHERE %1 = (SELECT min(%1) FROM \"tbl_netset\")").arg(db.engine().rowId());
}
} // namespace

StationRecord Station::read(const QString &stationDbPath)
{
    Database db(stationDbPath);
    const ResultRows r =
        db.select(QStringLiteral("SELECT server, net, \"Main\" FROM \"tbl_netset\"") + firstRecord(db));
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
    const int n = db.execute(QStringLiteral("UPDATE \"tbl_netset\" SET server = ?, net = ?, \"Main\" = ?, "
                                            "rowver = rowver + 1")
                                 + firstRecord(db),
                             {record.server, record.net, record.main});
    if (n != 1)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
}

void Station::setNet(const QString &stationDbPath, bool net)
{
    Database db(stationDbPath);
    const int n =
        db.execute(QStringLiteral("UPDATE \"tbl_netset\" SET net = ?, rowver = rowver + 1") + firstRecord(db), {net});
    if (n != 1)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
}

namespace {
const QString KeptBackupsField = QStringLiteral("KeepBackups");
}

int Station::keptBackups(const QString &stationDbPath, int fallback)
{
    Database db(stationDbPath);
    if (!db.fieldNames(QStringLiteral("tbl_netset")).contains(KeptBackupsField, Qt::CaseInsensitive))
        return fallback;
    const QVariant kept =
        db.scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_netset\"").arg(KeptBackupsField) + firstRecord(db));
    return kept.isNull() ? fallback : kept.toInt();
}

void Station::setKeptBackups(const QString &stationDbPath, int count)
{
    Database db(stationDbPath);
    if (!db.fieldNames(QStringLiteral("tbl_netset")).contains(KeptBackupsField, Qt::CaseInsensitive))
        db.execute(QStringLiteral("ALTER TABLE \"tbl_netset\" ADD COLUMN \"%1\" INTEGER").arg(KeptBackupsField));
    const int n = db.execute(
        QStringLiteral("UPDATE \"tbl_netset\" SET \"%1\" = ?, rowver = rowver + 1").arg(KeptBackupsField)
            + firstRecord(db),
        {count});
    if (n != 1)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
}

QString sharedDbPath(StationPaths &paths)
{
    paths.setServerFolder(Station::read(paths.stationDbPath()).server);
    return paths.sharedDbPath();
}

bool isFileServerStation(const StationPaths &paths) { return Station::read(paths.stationDbPath()).main; }
