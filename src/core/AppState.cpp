#include "core/AppState.h"

#include <QDir>

QString AppState::stationDbPath() const { return QDir(programFolder).filePath(QStringLiteral("dbn.mdb")); }
QString AppState::installDbPath() const { return QDir(programFolder).filePath(QStringLiteral("db.mdb")); }
QString AppState::sharedDbPath() const { return QDir(ServerFolder).filePath(QStringLiteral("db.mdb")); }
