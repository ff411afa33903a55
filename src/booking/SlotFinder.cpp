#include "booking/SlotFinder.h"

#include "booking/BookingTimes.h"
#include "booking/TechSkills.h"
#include "core/Colors.h"
#include "core/ListText.h"
#include "core/TimeText.h"
#include "daypage/PageModel.h"
#include "store/AppError.h"

#include <QHash>

namespace {

enum class Cell : char { Free, Taken, Lunch };

// The time rows of one day as a first showing lays them out: per technician column, one state
// per slot row.
struct Day {
    bool open = false;
    QTime first;
    int slotMinutes = 30;
    QStringList names; // from index 1
    QVector<QVector<Cell>> cols;
};

// Marks each cell of the time rows from the page text without splitting it into cells: a LUNCH
// cell is lunch, any other text taken.
void markTexts(QVector<QVector<Cell>> &cols, QStringView data)
{
    const int firstRow = PageModel::FirstTimeRow - PageModel::TextTopRow;
    int row = 0, col = 0;
    qsizetype cellStart = 0;
    for (qsizetype k = 0; k <= data.size(); ++k) {
        const bool end = k == data.size();
        if (!end && data[k] != QLatin1Char('\t') && data[k] != QLatin1Char('\r'))
            continue;
        const int slot = row - firstRow;
        if (k > cellStart && slot >= 0 && col < cols.size() && slot < cols.at(col).size())
            cols[col][slot] =
                data.sliced(cellStart, k - cellStart).trimmed() == QLatin1String("LUNCH") ? Cell::Lunch : Cell::Taken;
        if (!end && data[k] == QLatin1Char('\t')) {
            ++col;
        } else {
            ++row;
            col = 0;
        }
        cellStart = k + 1;
    }
}

// Then the colour list, column by column over the time rows and the extra row: grey is lunch
// whatever the cell holds, a colour of its own other than the free one is taken. A list never
// stored leaves every cell the free colour of a first showing.
void markColors(QVector<QVector<Cell>> &cols, QStringView list, int perColumn)
{
    if (ColorList::isUnset(list.toString()))
        return;
    int i = 0;
    for (QStringView item : list.tokenize(QLatin1Char(' '))) {
        const int c = i / perColumn, slot = i % perColumn;
        ++i;
        if (c >= cols.size())
            break;
        if (slot >= cols.at(c).size())
            continue;
        bool ok = false;
        const qint64 color = item.toLongLong(&ok);
        if (!ok || color == 0 || color == FreeSlotColor)
            continue;
        Cell &cell = cols[c][slot];
        if (color == LunchColor)
            cell = Cell::Lunch;
        else if (cell == Cell::Free)
            cell = Cell::Taken;
    }
}

Day layOut(const QString &open, const QString &close, int slotMinutes, int techs, const QString &names,
           const QString &data, const QString &colorList, bool closed)
{
    Day day;
    if (closed || techs <= 0)
        return day;
    int rows = 0;
    try {
        rows = int(PageModel::timeLabels(open, close, slotMinutes).size());
    } catch (const AppError &) {
        return day; // a page no grid can be drawn for has no slot to offer
    }
    day.open = true;
    day.first = ParseTimeText(open);
    day.slotMinutes = slotMinutes;
    day.names = SplitList(names);
    day.cols.fill(QVector<Cell>(rows, Cell::Free), techs);
    markTexts(day.cols, data);
    markColors(day.cols, colorList, rows + 1);
    return day;
}

Day layOut(const PageRecord &p)
{
    return layOut(p.open, p.close, p.timeslot, p.listno, p.names, p.data, p.color, p.clinic);
}

// The page a first opening would make from the settings, never stored.
Day layOut(const OfficeSettings &s, const QDate &date)
{
    const int day = OfficeSettings::weekdayNumber(date);
    const QVariant tmpl = s.templates[day];
    return layOut(s.open, s.close, s.timeslot, s.listno, s.names, tmpl.toString(), QString(),
                  !tmpl.isNull() && s.closed[day]);
}

// The last slot the span from start covers, walking as the shading walks; none when a cell it
// would shade is taken or the page ends first. Enter refuses a lunch cell, so none starts there.
std::optional<int> spanEnd(const QVector<Cell> &col, int start, int cells)
{
    if (start < 0 || start >= col.size() || col.at(start) != Cell::Free)
        return std::nullopt;
    int painted = 0, last = start;
    for (int s = start; painted < cells && s < col.size(); ++s) {
        if (col.at(s) == Cell::Lunch)
            continue;
        if (col.at(s) != Cell::Free)
            return std::nullopt;
        ++painted;
        last = s;
    }
    if (painted < cells)
        return std::nullopt;
    return last;
}

int spanCells(float hours)
{
    return BookingTimes::spanSlots(qBound(SlotFinder::MinHours, hours, SlotFinder::MaxHours));
}

QTime slotStart(const Day &day, int slot) { return day.first.addSecs(qint64(slot) * day.slotMinutes * 60); }

} // namespace

QVector<SlotFinder::Place> SlotFinder::find(const Query &query)
{
    QVector<Place> out;
    if (!query.first.isValid() || query.days <= 0 || query.limit <= 0)
        return out;
    const QDate last = query.first.addDays(query.days - 1);
    const OfficeSettings settings = m_store.settings();
    const TechSkills skills(settings.skills);
    QHash<QDate, PageRecord> stored;
    for (PageRecord &p : m_store.pagesBetween(query.first, last))
        stored.insert(p.date, std::move(p));
    const int cells = spanCells(query.hours);
    for (QDate d = query.first; d <= last && out.size() < query.limit; d = d.addDays(1)) {
        const auto page = stored.constFind(d);
        const Day day = page != stored.constEnd() ? layOut(*page) : layOut(settings, d);
        if (!day.open)
            continue;
        QVector<int> techs;
        for (int c = 1; c <= day.cols.size(); ++c)
            if ((query.tech == 0 || query.tech == c)
                && (query.skill < 1 || query.skill > TechSkills::Count || skills.levels(c)[query.skill - 1]))
                techs << c;
        const int rows = day.cols.isEmpty() ? 0 : int(day.cols.first().size());
        for (int s = 0; s < rows && out.size() < query.limit; ++s) {
            const QTime start = slotStart(day, s);
            if (query.notBefore.isValid() && QDateTime(d, start) < query.notBefore)
                continue;
            for (int c : techs) {
                const auto end = spanEnd(day.cols.at(c - 1), s, cells);
                if (!end)
                    continue;
                out.append({d, PageModel::FirstTimeRow + s, c, day.names.value(c), start, slotStart(day, *end + 1)});
                if (out.size() == query.limit)
                    break;
            }
        }
    }
    return out;
}

bool SlotFinder::stillFits(const Place &place, float hours)
{
    const auto page = m_store.find(place.date);
    const Day day = page ? layOut(*page) : layOut(m_store.settings(), place.date);
    if (!day.open || place.col < 1 || place.col > day.cols.size())
        return false;
    return spanEnd(day.cols.at(place.col - 1), place.row - PageModel::FirstTimeRow, spanCells(hours)).has_value();
}
