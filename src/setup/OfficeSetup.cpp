#include "setup/OfficeSetup.h"

#include "core/ListText.h"
#include "core/TimeText.h"
#include "daypage/PageStore.h"
#include "store/Database.h"
#include "store/StationRegistry.h"

#include <QTime>
#include <cmath>

const QString OfficeSetup::NoSkills = QStringLiteral("0 0 0 0 0 0 0 0 0 0 0");

namespace {
constexpr int SiteRow = 1;
constexpr int NameRow = 2;

QStringList skillEntries(const QString &skills)
{
    return skills.isEmpty() ? QStringList() : skills.split(QLatin1Char('%'));
}

bool digitsOnly(const QString &s)
{
    for (QChar ch : s)
        if (!ch.isDigit())
            return false;
    return true;
}

// A number the rules can judge: digits only, no more than three of them.
std::optional<int> number(const QString &s)
{
    if (s.isEmpty() || s.size() > 3 || !digitsOnly(s))
        return std::nullopt;
    return s.toInt();
}

QTime timeOf(const QString &h, const QString &m, const QString &ampm)
{
    return ParseTimeText(QStringLiteral("%1:%2 %3").arg(h, m, ampm));
}
} // namespace

OfficeSetup::OfficeSetup(Database &db) : m_db(db)
{
    PageStore store(m_db);
    const OfficeSettings s = store.settings();
    m_text[Location] = s.location;
    m_text[OpenHour] = s.open.mid(0, 2);
    m_text[OpenMinute] = s.open.mid(3, 2);
    m_text[OpenAmPm] = s.open.mid(6, 2);
    m_text[CloseHour] = s.close.mid(0, 2);
    m_text[CloseMinute] = s.close.mid(3, 2);
    m_text[CloseAmPm] = s.close.mid(6, 2);
    m_text[Slot] = QString::number(s.timeslot);
    m_text[Lines] = QString::number(s.rHeight);
    m_text[Count] = QString::number(s.listno);
    m_storedCount = s.listno;
    m_storedSites = s.sites;
    m_storedNames = s.names;
    m_storedCwidth = s.cwidth;
    m_storedSkills = skillEntries(s.skills);

    GridBatch batch(m_grid);
    m_grid.setRows(3);
    m_grid.setFixedRows(1);
    m_grid.setFixedCols(1);
    QFont f(QStringLiteral("Arial"), 8);
    f.setBold(true);
    f.setItalic(false);
    m_grid.setFont(f);
    m_grid.setText(SiteRow, 0, QStringLiteral("Site"));
    m_grid.setText(NameRow, 0, QStringLiteral("Name"));
    buildGrid(qBound(1, s.listno, MaxTechs), {}, {});
    // Column 0 is the day page's time column: its stored width stays.
    const QStringList widths = SplitPlain(m_storedCwidth, QLatin1Char('%'));
    if (!widths.isEmpty() && widths.first().toDouble() > 0)
        m_grid.setColWidth(0, int(std::lround(widths.first().toDouble())));
}

void OfficeSetup::buildGrid(int n, const QStringList &keepSites, const QStringList &keepNames)
{
    GridBatch batch(m_grid);
    m_grid.setCols(n + 1);
    const QStringList sites = SplitPlain(m_storedSites, QLatin1Char('%'));
    const QStringList names = SplitPlain(m_storedNames, QLatin1Char('%'));
    const QStringList widths = SplitPlain(m_storedCwidth, QLatin1Char('%'));
    for (int c = 1; c <= n; ++c) {
        bool ok = false;
        const double w = c < widths.size() ? widths.at(c).toDouble(&ok) : 0;
        if (ok && w > 0)
            m_grid.setColWidth(c, int(std::lround(w)));
        m_grid.setText(0, c, QString::number(c));
        m_grid.setText(SiteRow, c, c <= keepSites.size() ? keepSites.at(c - 1) : sites.value(c - 1));
        m_grid.setText(NameRow, c, c <= keepNames.size() ? keepNames.at(c - 1) : names.value(c - 1));
        for (int r = 0; r <= NameRow; ++r)
            m_grid.setCellAlignment(r, c, GridModel::AlignCenterCenter);
    }
}

std::optional<QString> OfficeSetup::left(Field f, const QString &text)
{
    switch (f) {
    case OpenHour:
    case CloseHour:
    case OpenMinute:
    case CloseMinute: {
        const auto v = number(text);
        const bool hour = f == OpenHour || f == CloseHour;
        // Hour 00 and minute 60 are no times of day.
        if (!v || text.size() > 2 || (hour ? (*v < 1 || *v > 12) : *v > 59))
            return std::nullopt;
        return text.size() == 1 ? QLatin1Char('0') + text : text;
    }
    case OpenAmPm:
    case CloseAmPm: {
        const QString up = text.toUpper();
        if (up == QLatin1String("AM") || up == QLatin1String("PM"))
            return up;
        return f == OpenAmPm ? QStringLiteral("AM") : QStringLiteral("PM");
    }
    case Slot: {
        const auto v = number(text);
        if (!v || *v < 10 || *v > 240)
            return std::nullopt;
        return QString::number(*v);
    }
    case Lines: {
        // Rows of no height, or taller than a page holds.
        const auto v = number(text);
        if (!v || *v < 1 || *v > 6)
            return std::nullopt;
        return QString::number(*v);
    }
    case Count: {
        if (!digitsOnly(text))
            return std::nullopt;
        const QString digits = text.size() > 3 ? QStringLiteral("999") : text;
        return QString::number(qBound(1, digits.toInt(), MaxTechs));
    }
    case Location: break;
    }
    return text;
}

void OfficeSetup::writeWidths()
{
    const QString cwidth = cwidthText();
    retryOnLock([&] {
        WriteTransaction tx(m_db);
        m_db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET cwidth = ?, rowver = rowver + 1"), {cwidth});
        tx.commit();
    });
    m_storedCwidth = cwidth;
}

void OfficeSetup::applyCount()
{
    const auto n = left(Count, m_text[Count]);
    if (!n)
        return;
    m_text[Count] = *n;
    QStringList sites, names;
    for (int c = 1; c <= count(); ++c) {
        sites << m_grid.text(SiteRow, c);
        names << m_grid.text(NameRow, c);
    }
    std::optional<AppError> failed;
    try {
        writeWidths();
    } catch (const AppError &e) {
        failed = e;
    }
    buildGrid(n->toInt(), sites, names);
    if (failed)
        throw *failed;
}

void OfficeSetup::reset()
{
    m_text[Location] = QStringLiteral("Office");
    m_text[OpenHour] = QStringLiteral("08");
    m_text[OpenMinute] = QStringLiteral("00");
    m_text[OpenAmPm] = QStringLiteral("AM");
    m_text[CloseHour] = QStringLiteral("05");
    m_text[CloseMinute] = QStringLiteral("00");
    m_text[CloseAmPm] = QStringLiteral("PM");
    m_text[Slot] = QStringLiteral("30");
    m_text[Count] = QString::number(m_storedCount);
    if (count() != qBound(1, m_storedCount, MaxTechs)) {
        // The grid follows the count, or the names saved would not match it.
        QStringList sites, names;
        for (int c = 1; c <= count(); ++c) {
            sites << m_grid.text(SiteRow, c);
            names << m_grid.text(NameRow, c);
        }
        buildGrid(qBound(1, m_storedCount, MaxTechs), sites, names);
    }
}

QString OfficeSetup::openText() const
{
    return QStringLiteral("%1:%2 %3").arg(m_text[OpenHour], m_text[OpenMinute], m_text[OpenAmPm]);
}

QString OfficeSetup::closeText() const
{
    return QStringLiteral("%1:%2 %3").arg(m_text[CloseHour], m_text[CloseMinute], m_text[CloseAmPm]);
}

QString OfficeSetup::rowText(int row) const
{
    QString out;
    for (int c = 1; c < m_grid.cols(); ++c)
        out += m_grid.text(row, c) + QLatin1Char('%');
    return out;
}

QString OfficeSetup::sitesText() const { return rowText(SiteRow); }
QString OfficeSetup::namesText() const { return rowText(NameRow); }

QString OfficeSetup::cwidthText() const
{
    QString out;
    for (int c = 0; c < m_grid.cols(); ++c)
        out += QString::number(m_grid.colWidth(c)) + QLatin1Char('%');
    return out;
}

QString OfficeSetup::skillsText() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i) {
        const QString stored = m_storedSkills.value(i).trimmed();
        out << (stored.isEmpty() ? NoSkills : stored);
    }
    return out.join(QLatin1Char('%'));
}

std::optional<OfficeSetup::Field> OfficeSetup::refusedField() const
{
    for (int f = OpenHour; f <= Count; ++f)
        if (!left(Field(f), m_text[f]))
            return Field(f);
    for (int c = 1; c < m_grid.cols(); ++c)
        if (isRefusedInList(m_grid.text(SiteRow, c)) || isRefusedInList(m_grid.text(NameRow, c)))
            return Count;
    return std::nullopt;
}

bool OfficeSetup::closingBeforeOpening() const
{
    const QTime open = timeOf(m_text[OpenHour], m_text[OpenMinute], m_text[OpenAmPm]);
    const QTime close = timeOf(m_text[CloseHour], m_text[CloseMinute], m_text[CloseAmPm]);
    return open.isValid() && close.isValid() && open > close;
}

QVector<OfficeSetup::Hidden> OfficeSetup::hiddenBookings(const QDate &today)
{
    const ResultRows r =
        m_db.select(QStringLiteral("SELECT DISTINCT \"bDate\", \"bCol\" FROM \"tbl_Job\" "
                                   "WHERE \"bDate\" >= ? AND \"bCol\" > ? ORDER BY \"bDate\", \"bCol\""),
                    {today, count()});
    QVector<Hidden> out;
    for (const QVariantList &row : r.rows)
        out.append({QDate::fromString(row.at(0).toString(), Qt::ISODate), row.at(1).toInt()});
    return out;
}

int OfficeSetup::save(const QDate &today, qint64 self, int timeoutMs)
{
    const QString sites = sitesText(), names = namesText(), cwidth = cwidthText();
    const int n = count();
    const int deleted = retryOnLock([&] {
        WriteTransaction tx(m_db);
        // Under the write lock, so no station starts between the look and the write; a station
        // idle on a page about to be deleted must not write into it afterwards.
        const int others = StationRegistry::othersRunning(m_db, self, timeoutMs);
        if (others > 0)
            throw AppError(ErrNo::InUse, StationRegistry::othersOpenText(others));
        // Skills as stored now: the skill editor may have written since this window loaded.
        m_storedSkills =
            skillEntries(m_db.scalar(QStringLiteral("SELECT \"Skills\" FROM \"tbl_Setup\" LIMIT 1")).toString());
        m_db.execute(
            QStringLiteral("UPDATE \"tbl_Setup\" SET location = ?, open = ?, \"Close\" = ?, timeslot = ?, "
                           "\"RHeight\" = ?, \"Listno\" = ?, \"Sites\" = ?, \"Names\" = ?, cwidth = ?, \"Skills\" = ?, "
                           "rowver = rowver + 1"),
            {m_text[Location], openText(), closeText(), m_text[Slot].toInt(), m_text[Lines].toInt(), n, sites, names,
             cwidth, skillsText()});
        const int gone = PageStore(m_db).deleteUntouchedPages();
        // Time settings of existing pages stay; their technicians follow the office.
        m_db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Listno\" = ?, \"Sites\" = ?, \"Names\" = ?, "
                                    "rowver = rowver + 1 "
                                    "WHERE caldate >= ?"),
                     {n, sites, names, today});
        tx.commit();
        return gone;
    });
    m_storedCount = n;
    m_storedSites = sites;
    m_storedNames = names;
    m_storedCwidth = cwidth;
    return deleted;
}
