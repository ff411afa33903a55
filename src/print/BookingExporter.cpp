#include "print/BookingExporter.h"

#include "booking/BookingEntries.h"
#include "booking/BookingTimes.h"
#include "core/ListText.h"
#include "core/Numbers.h"
#include "core/TimeText.h"
#include "daypage/PageModel.h"
#include "print/Csv.h"
#include "store/AppError.h"
#include "store/BookingStore.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <cmath>

namespace {
// Times of day go out as 24-hour hh:mm whatever form the page wrote them in.
QString exportedText(const StoredBooking &b, BookingField::Id f)
{
    const QString stored = b.text(f);
    if (f == BookingField::Time || f == BookingField::Drop || f == BookingField::Prom) {
        const QTime t = parseTimeText(stored);
        return t.isValid() ? t.toString(QStringLiteral("HH:mm")) : stored;
    }
    return stored;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError(75,
                       QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}
} // namespace

BookingExporter::BookingExporter(Database &db) : m_db(db) {}

QStringList BookingExporter::techNames()
{
    const OfficeSettings settings = SettingsStore(m_db).office();
    const QStringList names = splitList(settings.names);
    QStringList out{QString()};
    for (int c = 1; c <= settings.listno; ++c) {
        const QString name = names.value(c).trimmed();
        out << (name.isEmpty() ? QStringLiteral("Column %1").arg(c) : name);
    }
    return out;
}

QString BookingExporter::problem(const ExportOrder &order)
{
    if (!order.from.isValid() || !order.to.isValid())
        return QStringLiteral("Give both dates of the bookings to export.");
    if (order.from > order.to)
        return QStringLiteral("The first date (%1) is after the last (%2).")
            .arg(order.from.toString(Qt::ISODate), order.to.toString(Qt::ISODate));
    if (order.file.trimmed().isEmpty())
        return QStringLiteral("Name the file to export to.");
    if (QFileInfo(order.file).isDir())
        return QStringLiteral("%1 is a folder: name a file in it.").arg(QDir::toNativeSeparators(order.file));
    const int techs = int(techNames().size()) - 1;
    if (order.tech < 0 || order.tech > techs)
        return QStringLiteral("There is no technician %1: the office has technicians 1 to %2.")
            .arg(order.tech)
            .arg(techs);
    return QString();
}

QString BookingExporter::techFile(const QString &file, int column, const QString &name)
{
    const QFileInfo info(file);
    QString safe;
    for (const QChar c : name.trimmed())
        safe += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ? c : QLatin1Char('_');
    QString base = info.completeBaseName() + QStringLiteral("-tech%1").arg(column);
    if (!safe.isEmpty())
        base += QLatin1Char('-') + safe;
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("ics") : info.suffix();
    return info.dir().filePath(base + QLatin1Char('.') + suffix);
}

QString BookingExporter::doneText(const Result &result)
{
    const QString count =
        result.bookings == 1 ? QStringLiteral("1 booking") : QStringLiteral("%1 bookings").arg(result.bookings);
    if (result.files.size() == 1)
        return QStringLiteral("%1 exported to %2.").arg(count, QDir::toNativeSeparators(result.files.first()));
    QStringList names;
    for (const QString &f : result.files)
        names << QFileInfo(f).fileName();
    return QStringLiteral("%1 exported to %2 files in %3: %4.")
        .arg(count)
        .arg(result.files.size())
        .arg(QDir::toNativeSeparators(QFileInfo(result.files.value(0)).absolutePath()),
             names.join(QStringLiteral(", ")));
}

QByteArray BookingExporter::csv(const QVector<StoredBooking> &bookings)
{
    QStringList header{QStringLiteral("bDate"), QStringLiteral("bCol"), QStringLiteral("bRow")};
    for (int f = 0; f < BookingField::Count; ++f)
        header << BookingField::column(BookingField::Id(f));
    QByteArray out = Csv::record(header);
    for (const StoredBooking &b : bookings) {
        QStringList fields{b.date.toString(Qt::ISODate), QString::number(b.col), QString::number(b.row)};
        for (int f = 0; f < BookingField::Count; ++f)
            fields << exportedText(b, BookingField::Id(f));
        out += Csv::record(fields);
    }
    return out;
}

CalendarEvent BookingExporter::event(const StoredBooking &b, const Office &office)
{
    using namespace BookingField;
    auto field = [&b](Id f) { return b.text(f).trimmed(); };
    QTime start = parseTimeText(b.text(Time));
    if (!start.isValid()) {
        // A record without its row's label: the row's place on the page gives the time.
        const QTime open = parseTimeText(office.open);
        start = (open.isValid() ? open : QTime(0, 0))
                    .addSecs(qMax(0, b.row - PageModel::FirstTimeRow) * office.slotMinutes * 60);
    }
    // Floating times: no zone, so no daylight-saving shift may move them.
    CalendarEvent e;
    e.start = QDateTime(b.date, start, Qt::UTC);
    // The hours the day page shades for the booking; one without hours holds its own slot.
    const float hours = BookingTimes::spanHours(leadingNumber(field(TTime)));
    const int minutes = hours > 0 ? int(std::lround(double(hours) * 60.0)) : office.slotMinutes;
    e.end = e.start.addSecs(qint64(minutes) * 60);
    e.uid = QStringLiteral("booking-%1-col%2-row%3@torvane")
                .arg(b.date.toString(QStringLiteral("yyyyMMdd")))
                .arg(b.col)
                .arg(b.row);

    // The ten jobs and their times, in the form's order.
    const auto times = BookingTimes::split(b.text(ITime));
    QStringList jobs;
    QString firstJob;
    for (int i = 0; i < BookingEntry::JobTimes; ++i) {
        const QString job = field(Id(Mainten + i));
        if (job.isEmpty())
            continue;
        if (firstJob.isEmpty())
            firstJob = job;
        const QString time = times[i].value_or(QString()).trimmed();
        jobs << (time.isEmpty() ? job : QStringLiteral("%1 (%2 h)").arg(job, time));
    }
    e.summary = firstJob.isEmpty() ? field(Name) : field(Name) + QStringLiteral(" - ") + firstJob;

    QStringList lines;
    auto add = [&lines](const QString &label, const QString &value) {
        if (!value.isEmpty())
            lines << label + QStringLiteral(": ") + value;
    };
    add(QStringLiteral("Phone"), field(Phone));
    QStringList address;
    for (Id f : {Address, City, Prov, PostCode})
        if (!field(f).isEmpty())
            address << field(f);
    add(QStringLiteral("Address"), address.join(QStringLiteral(", ")));
    add(QStringLiteral("Vehicle"), (field(Vehicle) + QLatin1Char(' ') + field(Make)).trimmed());
    if (!jobs.isEmpty())
        lines << QStringLiteral("Jobs:") << jobs;
    add(QStringLiteral("Total hours"), field(TTime));
    add(QStringLiteral("Technician"), field(Tech));
    add(QStringLiteral("Drop-off"), exportedText(b, Drop));
    add(QStringLiteral("Promised"), exportedText(b, Prom));
    // Comments go last and whole, line breaks and all.
    if (!field(Comments).isEmpty())
        lines << QStringLiteral("Comments:") << b.text(Comments);
    e.description = lines.join(QLatin1Char('\n'));
    return e;
}

BookingExporter::Result BookingExporter::run(const ExportOrder &order)
{
    const QString why = problem(order);
    if (!why.isEmpty())
        throw AppError(5, why);
    const QVector<StoredBooking> bookings = BookingStore(m_db).namedBetween(order.from, order.to, order.tech);
    Result result;
    result.bookings = int(bookings.size());
    if (order.format == ExportOrder::Csv) {
        writeFile(order.file, csv(bookings));
        result.files << order.file;
        return result;
    }

    const OfficeSettings settings = SettingsStore(m_db).office();
    const Office office{settings.open, settings.timeslot > 0 ? settings.timeslot : 30};
    const QStringList names = techNames();
    const QDateTime stamp = QDateTime::currentDateTimeUtc();
    QMap<int, QVector<CalendarEvent>> byTech;
    QVector<CalendarEvent> all;
    for (const StoredBooking &b : bookings) {
        const CalendarEvent e = event(b, office);
        all << e;
        byTech[b.col] << e;
    }
    if (!order.perTech) {
        const QString name = order.tech > 0 ? names.value(order.tech) : QStringLiteral("Bookings");
        writeFile(order.file, ICalendar::calendar(all, name, stamp));
        result.files << order.file;
        return result;
    }
    // Every technician gets a file, an empty one too: a calendar kept from an earlier export must
    // not go on showing bookings that are gone.
    if (order.tech > 0) {
        byTech = {{order.tech, byTech.value(order.tech)}};
    } else {
        for (int c = 1; c < names.size(); ++c)
            byTech[c];
    }
    for (auto it = byTech.cbegin(); it != byTech.cend(); ++it) {
        const QString name = names.value(it.key(), QStringLiteral("Column %1").arg(it.key()));
        const QString path = techFile(order.file, it.key(), name);
        writeFile(path, ICalendar::calendar(it.value(), name, stamp));
        result.files << path;
    }
    return result;
}
