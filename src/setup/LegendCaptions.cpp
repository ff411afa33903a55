#include "setup/LegendCaptions.h"

#include "store/Database.h"
#include "store/SettingsStore.h"

QStringList LegendCaptions::read(Database &db)
{
    const QString stored = SettingsStore(db).legendCaptions();
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
    retryOnLock([&] { SettingsStore(db).saveLegendCaptions(text); });
}
