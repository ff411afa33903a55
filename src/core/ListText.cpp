#include "core/ListText.h"

QStringList splitList(const QString &text)
{
    QStringList items{QString()};
    if (!text.isEmpty())
        items += text.split(QLatin1Char('%'));
    return items;
}

QString joinList(const QStringList &items, bool trailingSeparator)
{
    if (!trailingSeparator)
        return items.join(QLatin1Char('%'));
    QString out;
    for (const QString &item : items) {
        out += item;
        out += QLatin1Char('%');
    }
    return out;
}

QStringList splitPlain(const QString &text, QChar sep)
{
    if (text.isEmpty())
        return {};
    return text.split(sep);
}

QStringView plainItem(QStringView text, QChar sep, int index)
{
    if (index < 0)
        return {};
    qsizetype from = 0;
    for (int i = 0; i < index; ++i) {
        from = text.indexOf(sep, from);
        if (from < 0)
            return {};
        ++from;
    }
    const qsizetype to = text.indexOf(sep, from);
    return text.sliced(from, (to < 0 ? text.size() : to) - from);
}
