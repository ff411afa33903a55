#include "core/DateText.h"

#include <QRegularExpression>

namespace DateText {

namespace {
enum class Order { MDY, DMY, YMD };

Order orderOf(const QLocale &locale)
{
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype d = f.indexOf(QLatin1Char('d'));
    const qsizetype m = f.indexOf(QLatin1Char('M'));
    const qsizetype y = f.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0)
        return Order::MDY;
    if (y < m && y < d)
        return Order::YMD;
    return d < m ? Order::DMY : Order::MDY;
}

int fullYear(const QString &digits)
{
    const int y = digits.toInt();
    if (digits.size() > 2)
        return y;
    return y < 30 ? 2000 + y : 1900 + y;
}
} // namespace

namespace {
QDate parseNumeric(const QString &text, const QLocale &locale, const QDate &today);
}

QDate parseShortDate(const QString &text, const QLocale &locale, const QDate &today)
{
    const QDate d = parseNumeric(text, locale, today);
    if (d.isValid())
        return d;
    for (QLocale::FormatType f : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QDate named = locale.toDate(text.trimmed(), f);
        if (named.isValid())
            return named;
    }
    return {};
}

namespace {
QDate parseNumeric(const QString &text, const QLocale &locale, const QDate &today)
{
    static const QRegularExpression sep(QStringLiteral("[/\\-.\\s]+"));
    static const QRegularExpression digits(QStringLiteral("^\\d{1,4}$"));
    const QStringList parts = text.trimmed().split(sep, Qt::SkipEmptyParts);
    if (parts.size() < 2 || parts.size() > 3)
        return {};
    for (const QString &p : parts)
        if (!digits.match(p).hasMatch())
            return {};

    Order order = orderOf(locale);
    if (parts.first().size() > 2)
        order = Order::YMD;
    int y = today.year(), m = 0, d = 0;
    if (parts.size() == 2) {
        // Day and month only, in the locale's order.
        const bool dayFirst = order == Order::DMY;
        d = parts.at(dayFirst ? 0 : 1).toInt();
        m = parts.at(dayFirst ? 1 : 0).toInt();
    } else {
        switch (order) {
        case Order::MDY:
            m = parts[0].toInt();
            d = parts[1].toInt();
            y = fullYear(parts[2]);
            break;
        case Order::DMY:
            d = parts[0].toInt();
            m = parts[1].toInt();
            y = fullYear(parts[2]);
            break;
        case Order::YMD:
            y = fullYear(parts[0]);
            m = parts[1].toInt();
            d = parts[2].toInt();
            break;
        }
        if (parts.at(2).size() == 3 || (order == Order::YMD && parts.at(0).size() == 3))
            return {};
    }
    return QDate(y, m, d); // invalid when a part is out of range
}
} // namespace

QString shortDate(const QDate &d, const QLocale &locale) { return locale.toString(d, QLocale::ShortFormat); }

QString longHeading(const QDate &d, const QLocale &locale)
{
    return locale.toString(d, QStringLiteral("dddd")) + QStringLiteral("   ")
           + locale.toString(d, QStringLiteral("MMMM")) + QLatin1Char(' ') + QString::number(d.day())
           + QStringLiteral(",  ") + QString::number(d.year());
}

} // namespace DateText
