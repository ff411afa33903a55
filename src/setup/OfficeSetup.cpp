#include "setup/OfficeSetup.h"

#include "core/ListText.h"
#include "core/TimeText.h"
#include "daypage/PageStore.h"
#include "setup/TemplateShift.h"
#include "store/BookingStore.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "store/StationRegistry.h"

#include <QLocale>
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
    return parseTimeText(QStringLiteral("%1:%2 %3").arg(h, m, ampm));
}
} // namespace

OfficeSetup::OfficeSetup(Database &db) : m_db(db)
{
    const OfficeSettings s = SettingsStore(m_db).office();
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
    m_storedSkills = skillEntries(s.skills);
    m_sites = splitPlain(s.sites, QLatin1Char('%'));
    m_names = splitPlain(s.names, QLatin1Char('%'));
    for (const QString &w : splitPlain(s.cwidth, QLatin1Char('%'))) {
        bool ok = false;
        const double v = w.toDouble(&ok);
        m_widths.append(ok && v > 0 ? int(std::lround(v)) : 0);
    }

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
    buildGrid(qBound(1, s.listno, MaxTechs));
    // Column 0 is the day page's time column: its stored width stays.
    if (m_widths.value(0) > 0)
        m_grid.setColWidth(0, m_widths.at(0));
}

void OfficeSetup::buildGrid(int n)
{
    GridBatch batch(m_grid);
    m_grid.setCols(n + 1);
    for (int c = 1; c <= n; ++c) {
        if (m_widths.value(c) > 0)
            m_grid.setColWidth(c, m_widths.at(c));
        m_grid.setText(0, c, QString::number(c));
        m_grid.setText(SiteRow, c, m_sites.value(c - 1));
        m_grid.setText(NameRow, c, m_names.value(c - 1));
        for (int r = 0; r <= NameRow; ++r)
            m_grid.setCellAlignment(r, c, GridModel::AlignCenterCenter);
    }
}

void OfficeSetup::keepColumns()
{
    for (int c = 0; c < m_grid.cols(); ++c) {
        if (m_widths.size() <= c)
            m_widths.resize(c + 1);
        m_widths[c] = m_grid.colWidth(c);
        if (c == 0)
            continue;
        while (m_sites.size() < c)
            m_sites << QString();
        while (m_names.size() < c)
            m_names << QString();
        m_sites[c - 1] = m_grid.text(SiteRow, c);
        m_names[c - 1] = m_grid.text(NameRow, c);
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

void OfficeSetup::applyCount()
{
    const auto n = left(Count, m_text[Count]);
    if (!n)
        return;
    m_text[Count] = *n;
    keepColumns();
    buildGrid(n->toInt());
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
        keepColumns();
        buildGrid(qBound(1, m_storedCount, MaxTechs));
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
    QVector<Hidden> out;
    for (const BookedColumn &b : BookingStore(m_db).bookedBeyond(today, count()))
        out.append({b.date, b.col});
    return out;
}

void OfficeSetup::moveTemplates(const OfficeSettings &stored)
{
    const TemplateShift::Hours from{stored.open, stored.close, stored.timeslot};
    const TemplateShift::Hours to{openText(), closeText(), m_text[Slot].toInt()};
    // Monday first, as the template editor steps through the week.
    for (int day : {2, 3, 4, 5, 6, 7, 1}) {
        if (stored.templates[day].isNull())
            continue;
        const TemplateShift::Result r = TemplateShift::moved(stored.templates[day].toString(), from, to);
        SettingsStore(m_db).moveDayTemplate(day, r.text);
        const QString dayName = QLocale().dayName(day == 1 ? 7 : day - 1);
        // One line per time and text, naming its columns.
        QVector<TemplateShift::Dropped> rest = r.dropped;
        while (!rest.isEmpty()) {
            const TemplateShift::Dropped first = rest.takeFirst();
            QStringList cols{QString::number(first.col)};
            for (auto it = rest.begin(); it != rest.end();) {
                if (it->time == first.time && it->text == first.text) {
                    cols << QString::number(it->col);
                    it = rest.erase(it);
                } else {
                    ++it;
                }
            }
            m_droppedCells << QStringLiteral("%1 %2, %3 %4: %5")
                                  .arg(dayName, first.time,
                                       cols.size() == 1 ? QStringLiteral("column") : QStringLiteral("columns"),
                                       cols.join(QStringLiteral(", ")), first.text);
        }
    }
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
        // Skills and templates as stored now: the skill and template editors may have written
        // since this window loaded.
        const OfficeSettings stored = SettingsStore(m_db).office();
        m_storedSkills = skillEntries(stored.skills);
        m_droppedCells.clear();
        SettingsStore(m_db).saveOffice({m_text[Location], openText(), closeText(), m_text[Slot].toInt(),
                                        m_text[Lines].toInt(), n, sites, names, cwidth, skillsText()});
        const int gone = PageStore(m_db).deleteUntouchedPages();
        // After the untouched pages are told by the templates they were made from.
        if (stored.open != openText() || stored.timeslot != m_text[Slot].toInt())
            moveTemplates(stored);
        // Time settings of existing pages stay; their technicians follow the office.
        PageStore(m_db).setTechnicians(today, n, sites, names);
        tx.commit();
        return gone;
    });
    m_storedCount = n;
    return deleted;
}
