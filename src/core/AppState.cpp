#include "core/AppState.h"

#include "store/Database.h"

#include <QDir>

QString StationPaths::stationDbPath() const { return QDir(m_programFolder).filePath(QStringLiteral("dbn.mdb")); }
QString StationPaths::installDbPath() const { return QDir(m_programFolder).filePath(QStringLiteral("db.mdb")); }
QString StationPaths::sharedDbPath() const { return Database::sharedIn(m_serverFolder); }
