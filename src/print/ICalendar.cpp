#include "print/ICalendar.h"

#include "core/Version.h"

namespace {
constexpr int MaxOctets = 75;

QString floating(const QDateTime &t) { return t.toString(QStringLiteral("yyyyMMdd'T'HHmmss")); }
} // namespace

QString ICalendar::escapeText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(',')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\r')) {
            // CRLF, or a lone CR, is one line break.
            out += QStringLiteral("\\n");
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
        } else if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F) {
            // Other control characters are not allowed in a value; they carry nothing readable.
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray ICalendar::contentLine(const QString &line)
{
    const QByteArray utf8 = line.toUtf8();
    QByteArray out;
    int start = 0;
    int room = MaxOctets;
    while (utf8.size() - start > room) {
        int cut = start + room;
        // Never inside a character: back up to the first byte of the one that does not fit.
        while (cut > start && (uchar(utf8.at(cut)) & 0xC0) == 0x80)
            --cut;
        out += utf8.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = MaxOctets - 1; // the leading blank counts
    }
    out += utf8.mid(start);
    out += "\r\n";
    return out;
}

QByteArray ICalendar::calendar(const QVector<CalendarEvent> &events, const QString &name, const QDateTime &stamp)
{
    QByteArray out;
    auto line = [&out](const QString &text) { out += contentLine(text); };
    line(QStringLiteral("BEGIN:VCALENDAR"));
    line(QStringLiteral("VERSION:2.0"));
    line(QStringLiteral("PRODID:-//Torvane//Torvane %1//EN").arg(QStringLiteral(TORVANE_VERSION)));
    line(QStringLiteral("CALSCALE:GREGORIAN"));
    line(QStringLiteral("METHOD:PUBLISH"));
    if (!name.isEmpty())
        line(QStringLiteral("X-WR-CALNAME:") + escapeText(name));
    const QString stamped = stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    for (const CalendarEvent &e : events) {
        line(QStringLiteral("BEGIN:VEVENT"));
        line(QStringLiteral("UID:") + e.uid);
        line(QStringLiteral("DTSTAMP:") + stamped);
        line(QStringLiteral("DTSTART:") + floating(e.start));
        line(QStringLiteral("DTEND:") + floating(e.end));
        line(QStringLiteral("SUMMARY:") + escapeText(e.summary));
        if (!e.description.isEmpty())
            line(QStringLiteral("DESCRIPTION:") + escapeText(e.description));
        line(QStringLiteral("END:VEVENT"));
    }
    line(QStringLiteral("END:VCALENDAR"));
    return out;
}
