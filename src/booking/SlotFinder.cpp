#include "booking/SlotFinder.h"

#include "booking/BookingTimes.h"
#include "booking/TechSkills.h"
#include "core/Colors.h"
#include "core/ListText.h"
#include "core/TimeText.h"
#include "daypage/PageModel.h"
#include "store/AppError.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace {

enum class Cell : char { Free, Taken, Lunch };

// The time slots of one day as a first showing lays them out: per technician column, one state
// per time row, column after column.
struct Day {
    bool open = false;
    QTime first;
    int slotMinutes = 30;
    int rows = 0;
    int techs = 0;
    QStringList names; // from index 1
    std::vector<Cell> cells;
    const Cell *column(int c) const { return cells.data() + std::size_t(c - 1) * std::size_t(rows); }
};

bool isLunchWord(const char16_t *p, qsizetype from, qsizetype to)
{
    while (from < to && QChar::isSpace(p[from]))
        ++from;
    while (to > from && QChar::isSpace(p[to - 1]))
        --to;
    static constexpr char16_t Word[] = u"LUNCH";
    return to - from == 5 && std::equal(p + from, p + to, Word);
}

// Marks each cell of the time rows from the page text, read in place: a LUNCH cell is lunch, any
// other text taken.
void markTexts(Day &day, const QString &data)
{
    const auto *p = reinterpret_cast<const char16_t *>(data.constData());
    const qsizetype n = data.size();
    int row = -(PageModel::FirstTimeRow - PageModel::TextTopRow), col = 0;
    qsizetype cellStart = 0;
    for (qsizetype k = 0; k <= n; ++k) {
        const char16_t ch = k < n ? p[k] : u'\r';
        if (ch != u'\t' && ch != u'\r')
            continue;
        if (k > cellStart && row >= 0 && row < day.rows && col < day.techs)
            day.cells[std::size_t(col) * std::size_t(day.rows) + std::size_t(row)] =
                isLunchWord(p, cellStart, k) ? Cell::Lunch : Cell::Taken;
        if (ch == u'\t') {
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
// stored leaves every cell the free colour of a first showing; an item that is no number leaves
// the cell without a colour of its own.
void markColors(Day &day, const QString &list)
{
    if (ColorList::isUnset(list))
        return;
    const auto *p = reinterpret_cast<const char16_t *>(list.constData());
    const qsizetype n = list.size();
    const int perColumn = day.rows + 1;
    int i = 0;
    for (qsizetype k = 0; k <= n; ++i) {
        qsizetype end = k;
        while (end < n && p[end] != u' ')
            ++end;
        qsizetype d = k;
        const bool negative = d < end && p[d] == u'-';
        if (negative)
            ++d;
        qint64 color = 0;
        bool ok = d < end;
        for (; ok && d < end; ++d) {
            ok = p[d] >= u'0' && p[d] <= u'9';
            color = color * 10 + (p[d] - u'0');
        }
        k = end + 1;
        const int c = i / perColumn, row = i % perColumn;
        if (c >= day.techs)
            break;
        if (!ok || row >= day.rows)
            continue;
        if (negative)
            color = -color;
        if (color == 0 || color == FreeSlotColor)
            continue;
        Cell &cell = day.cells[std::size_t(c) * std::size_t(day.rows) + std::size_t(row)];
        if (color == LunchColor)
            cell = Cell::Lunch;
        else if (cell == Cell::Free)
            cell = Cell::Taken;
    }
}

// Days laid out as the page grid would lay them out; the rows of a layout are counted once.
class DayReader {
public:
    Day layOut(const QString &open, const QString &close, int slotMinutes, int techs, const QString &names,
               const QString &data, const QString &colorList, bool closed)
    {
        Day day;
        if (closed || techs <= 0)
            return day;
        const QString key = open + QLatin1Char('|') + close + QLatin1Char('|') + QString::number(slotMinutes);
        auto rows = m_rows.constFind(key);
        if (rows == m_rows.constEnd()) {
            int count = -1;
            try {
                count = int(PageModel::timeLabels(open, close, slotMinutes).size());
            } catch (const AppError &) {
                // A page no grid can be drawn for has no slot to offer.
            }
            rows = m_rows.insert(key, count);
        }
        if (*rows < 0)
            return day;
        day.open = true;
        day.first = ParseTimeText(open);
        day.slotMinutes = slotMinutes;
        day.rows = *rows;
        day.techs = techs;
        day.names = SplitList(names);
        day.cells.assign(std::size_t(techs) * std::size_t(day.rows), Cell::Free);
        markTexts(day, data);
        markColors(day, colorList);
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

private:
    QHash<QString, int> m_rows;
};

// The last row the span from start covers, walking as the shading walks; none when a cell it
// would shade is taken or the page ends first. Enter refuses a lunch cell, so none starts there.
std::optional<int> spanEnd(const Cell *col, int rows, int start, int cells)
{
    if (start < 0 || start >= rows || col[start] != Cell::Free)
        return std::nullopt;
    int painted = 0, last = start;
    for (int s = start; painted < cells && s < rows; ++s) {
        if (col[s] == Cell::Lunch)
            continue;
        if (col[s] != Cell::Free)
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

QTime rowStart(const Day &day, int row) { return day.first.addSecs(qint64(row) * day.slotMinutes * 60); }

} // namespace

QVector<SlotFinder::Place> SlotFinder::find(const Query &query)
{
    QVector<Place> out;
    if (!query.first.isValid() || query.days <= 0 || query.limit <= 0)
        return out;
    const QDate last = query.first.addDays(query.days - 1);
    const TechSkills skills = TechSkills::read(m_store.database());
    std::optional<OfficeSettings> settings; // only a date without a page needs the templates
    QHash<int, bool> skilled;               // by column
    auto holdsSkill = [&](int col) {
        if (query.skill < 1 || query.skill > TechSkills::Count)
            return true;
        auto held = skilled.constFind(col);
        if (held == skilled.constEnd())
            held = skilled.insert(col, skills.levels(col)[query.skill - 1]);
        return *held;
    };
    const QVector<PageRecord> pages = m_store.pagesBetween(query.first, last);
    qsizetype nextPage = 0;
    DayReader reader;
    const int cells = spanCells(query.hours);
    QVector<int> techs;
    for (QDate d = query.first; d <= last && out.size() < query.limit; d = d.addDays(1)) {
        while (nextPage < pages.size() && pages.at(nextPage).date < d)
            ++nextPage;
        const bool stored = nextPage < pages.size() && pages.at(nextPage).date == d;
        if (!stored && !settings)
            settings = m_store.settings();
        const Day day = stored ? reader.layOut(pages.at(nextPage)) : reader.layOut(*settings, d);
        if (!day.open)
            continue;
        techs.clear();
        for (int c = 1; c <= day.techs; ++c)
            if ((query.tech == 0 || query.tech == c) && holdsSkill(c))
                techs << c;
        for (int r = 0; r < day.rows && out.size() < query.limit; ++r) {
            const QTime start = rowStart(day, r);
            if (query.notBefore.isValid() && QDateTime(d, start) < query.notBefore)
                continue;
            for (int c : techs) {
                const auto end = spanEnd(day.column(c), day.rows, r, cells);
                if (!end)
                    continue;
                out.append({d, PageModel::FirstTimeRow + r, c, day.names.value(c), start, rowStart(day, *end + 1)});
                if (out.size() == query.limit)
                    break;
            }
        }
    }
    return out;
}

bool SlotFinder::stillFits(const Place &place, float hours)
{
    DayReader reader;
    const auto page = m_store.find(place.date);
    const Day day = page ? reader.layOut(*page) : reader.layOut(m_store.settings(), place.date);
    if (!day.open || place.col < 1 || place.col > day.techs)
        return false;
    return spanEnd(day.column(place.col), day.rows, place.row - PageModel::FirstTimeRow, spanCells(hours)).has_value();
}
