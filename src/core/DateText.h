#pragma once
#include <QDate>
#include <QLocale>
#include <QString>

// Dates as the user reads and types them, in the system's short date order.
namespace DateText {

// "11/11/99", "1-1-00", "2/6/2002", "6.2.2002": numbers in the locale's day/month/year order,
// separated by "/", "-", "." or blanks; a two-digit year 00-29 is 20xx, 30-99 19xx; without a
// year, the current one. A year first with four digits reads year-month-day. Failing that, the
// locale's own short and long formats (month names). Invalid: null date.
QDate parseShortDate(const QString &text, const QLocale &locale = QLocale(), const QDate &today = QDate::currentDate());

QString shortDate(const QDate &d, const QLocale &locale = QLocale());
// "Wednesday   February 6,  2002"
QString longHeading(const QDate &d, const QLocale &locale = QLocale());

} // namespace DateText
