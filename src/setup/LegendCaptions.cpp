#include "setup/LegendCaptions.h"

#include "store/Database.h"

QStringList LegendCaptions::read(Database &db)
{
    const QString stored = db.scalar(QStringLiteral("SELECT \"Lblcolors\" FROM \"tbl_Setup\" LIMIT 1")).toString();
    QStringList out = stored.split(QLatin1Char('%')).mid(0, Count);
    while (out.size() < Count)
        out.append(QString());
    return out;
}

QString LegendCaptions::joined(const QStringList &captions)
{
    QStringList out;
    for (int i = 0; i < Count; ++i)
        out << captions.value(i).trimmed();
    return out.join(QLatin1Char('%'));
}

void LegendCaptions::write(Database &db, const QStringList &captions)
{
    const QString text = joined(captions);
    retryOnLock([&] {
        WriteTransaction tx(db);
        if (db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"Lblcolors\" = ?, rowver = rowver + 1"), {text}) == 0)
            throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
        tx.commit();
    });
}
