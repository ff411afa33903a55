#include "app/ShortDate.h"

#include <QLocale>
#include <QRegularExpression>

ShortDate ShortDate::system()
{
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        return ShortDate(MonthDayYear);
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype d = f.indexOf(QLatin1Char('d'));
    const qsizetype m = f.indexOf(QLatin1Char('M'));
    const qsizetype y = f.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0)
        return ShortDate(MonthDayYear);
    if (y < m && y < d)
        return ShortDate(YearMonthDay);
    return ShortDate(d < m ? DayMonthYear : MonthDayYear);
}

std::optional<QDate> ShortDate::parse(const QString &text) const
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{1,4})\\s*([/.-])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,4})\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString a = m.captured(1), b = m.captured(3), c = m.captured(4);
    int year = 0, month = 0, day = 0;
    QString yearText;
    if (a.size() > 2 || m_order == YearMonthDay) {
        yearText = a;
        month = b.toInt();
        day = c.toInt();
    } else {
        if (c.size() == 3)
            return std::nullopt;
        yearText = c;
        month = m_order == MonthDayYear ? a.toInt() : b.toInt();
        day = m_order == MonthDayYear ? b.toInt() : a.toInt();
    }
    if (yearText.size() == 3)
        return std::nullopt;
    year = yearText.toInt();
    if (yearText.size() <= 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}
