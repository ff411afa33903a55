#include "core/TimeText.h"

#include <QRegularExpression>

QTime parseTimeText(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return QTime();
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const QString ampm = m.captured(4).toUpper();
    if (!ampm.isEmpty()) {
        if (hour > 12)
            return QTime();
        if (hour == 12)
            hour = 0;
        if (ampm == QLatin1String("PM"))
            hour += 12;
    }
    return QTime(hour, minute, second); // invalid when out of range
}

QString settingsTimeText(const QTime &t)
{
    if (!t.isValid())
        return QString();
    int h12 = t.hour() % 12;
    if (h12 == 0)
        h12 = 12;
    return QStringLiteral("%1:%2 %3")
        .arg(h12, 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

QString rowLabel(const QTime &t) { return settingsTimeText(t) + QLatin1Char(' '); }

QString shortTimeText(const QTime &t)
{
    if (!t.isValid())
        return QString();
    return QStringLiteral("%1:%2").arg(t.hour(), 2, 10, QLatin1Char('0')).arg(t.minute(), 2, 10, QLatin1Char('0'));
}
