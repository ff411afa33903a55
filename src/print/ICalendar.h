#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

// One event of a calendar file: times are floating (the workshop's local time, no zone).
struct CalendarEvent {
    QString uid;
    QDateTime start;
    QDateTime end;
    QString summary;
    QString description;
};

// iCalendar text as calendar programs import it: CRLF line ends, lines folded at 75 octets
// without cutting a UTF-8 character, TEXT values escaped.
namespace ICalendar {
// Backslash, semicolon, comma and line breaks escaped as a TEXT value needs them.
QString escapeText(const QString &text);
// A content line in UTF-8, folded onto lines of at most 75 octets, each ended by CRLF.
QByteArray contentLine(const QString &line);
// A whole VCALENDAR; name, when given, is the calendar's display name. stamp is when the file
// was made (written in UTC).
QByteArray calendar(const QVector<CalendarEvent> &events, const QString &name, const QDateTime &stamp);
} // namespace ICalendar
