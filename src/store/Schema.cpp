#include "store/Schema.h"

#include "store/Database.h"

#include <QFile>

static void initSchemaResources() { Q_INIT_RESOURCE(data); }

namespace {
QString resourceText(const QString &name)
{
    initSchemaResources();
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(ErrNo::CannotOpen, QStringLiteral("Missing schema ") + name);
    return QString::fromUtf8(f.readAll());
}
} // namespace

void Schema::createShared(Database &db) { db.executeScript(resourceText(QStringLiteral(":/data/schema.sql"))); }

void Schema::createStation(Database &db)
{
    db.executeScript(resourceText(QStringLiteral(":/data/schema_station.sql")));
}
