#include "booking/SlotFinder.h"

#include "booking/BookingTimes.h"
#include "booking/TechSkills.h"
#include "core/Colors.h"
#include "core/DiagnosticLog.h"
#include "core/ListText.h"
#include "core/TimeText.h"
#include "daypage/PageModel.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QHash>
#include <QVarLengthArray>
#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>
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
    QString names; // split only for a day that offers a place
    std::vector<Cell> cells;
    const Cell *column(int c) const { return cells.data() + std::size_t(c - 1) * std::size_t(rows); }
};

// Stored texts read in place: UTF-16 from a string, or the UTF-8 a range read keeps as stored.
// Only ASCII is looked at.
template <class F>
void withChars(const QString &s, F &&f)
{
    f(reinterpret_cast<const char16_t *>(s.constData()), s.size());
}
template <class F>
void withChars(const QByteArray &b, F &&f)
{
    f(b.constData(), b.size());
}
template <class F>
void withChars(QByteArrayView b, F &&f)
{
    f(b.data(), b.size());
}

// Text of a range read as a string, made again only when it differs from the page before's.
class TextOf {
public:
    const QString &operator()(QByteArrayView bytes)
    {
        if (!m_known || bytes.isNull() != m_null || bytes != QByteArrayView(m_bytes)) {
            m_known = true;
            m_null = bytes.isNull();
            m_bytes = bytes.toByteArray();
            m_text = QString::fromUtf8(bytes);
        }
        return m_text;
    }

private:
    bool m_known = false, m_null = false;
    QByteArray m_bytes;
    QString m_text;
};

bool isBlank(char16_t ch) { return QChar::isSpace(ch); }
bool isBlank(char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }

template <class Ch>
bool isLunchWord(const Ch *p, qsizetype from, qsizetype to)
{
    while (from < to && isBlank(p[from]))
        ++from;
    while (to > from && isBlank(p[to - 1]))
        --to;
    static constexpr char Word[] = "LUNCH";
    return to - from == 5 && std::equal(p + from, p + to, Word);
}

// Marks each cell of the time rows from the page text: a LUNCH cell is lunch, any other text
// taken. cellEnd hears where each cell ends, at its tab or carriage return (the end of the text
// ends the last), and tells whether to go on.
template <class Ch>
class TextMarks {
public:
    TextMarks(Day &day, const Ch *p, qsizetype n) : m_day(day), m_p(p), m_n(n) {}

    // The time rows start at k: the rows above them are passed over unread.
    void startAt(qsizetype k)
    {
        m_row = 0;
        m_col = 0;
        m_cellStart = k;
    }

    bool cellEnd(qsizetype k)
    {
        if (k > m_cellStart && m_row >= 0 && m_col < m_day.techs)
            m_day.cells[std::size_t(m_col) * std::size_t(m_day.rows) + std::size_t(m_row)] =
                isLunchWord(m_p, m_cellStart, k) ? Cell::Lunch : Cell::Taken;
        if (k < m_n && m_p[k] == Ch('\t')) {
            ++m_col;
        } else if (++m_row == m_day.rows || k >= m_n) {
            return false;
        } else {
            m_col = 0;
        }
        m_cellStart = k + 1;
        return true;
    }

private:
    Day &m_day;
    const Ch *m_p;
    qsizetype m_n;
    int m_row = -(PageModel::FirstTimeRow - PageModel::TextTopRow), m_col = 0;
    qsizetype m_cellStart = 0;
};

template <class Ch>
void markTexts(Day &day, const Ch *p, qsizetype n)
{
    TextMarks<Ch> marks(day, p, n);
    qsizetype k = 0;
    if constexpr (std::is_same_v<Ch, char>) {
        // The hours rows above the time rows hold no slot.
        for (int row = PageModel::TextTopRow; row < PageModel::FirstTimeRow; ++row) {
            const void *end = k < n ? std::memchr(p + k, '\r', std::size_t(n - k)) : nullptr;
            if (!end)
                return;
            k = static_cast<const char *>(end) - p + 1;
        }
        marks.startAt(k);
    }
    if constexpr (std::is_same_v<Ch, char> && std::endian::native == std::endian::little) {
        // Stored UTF-8 looked at eight bytes at a time: each tab and carriage return found at once.
        constexpr quint64 Ones = 0x0101010101010101ull, Lows = Ones * 0x7F;
        auto zeroBytes = [](quint64 v) { return ~(((v & Lows) + Lows) | v | Lows); };
        for (; k + 8 <= n; k += 8) {
            quint64 x;
            std::memcpy(&x, p + k, 8);
            for (quint64 hits = zeroBytes(x ^ (Ones * '\t')) | zeroBytes(x ^ (Ones * '\r')); hits; hits &= hits - 1)
                if (!marks.cellEnd(k + std::countr_zero(hits) / 8))
                    return;
        }
    }
    for (; k < n; ++k)
        if ((p[k] == Ch('\t') || p[k] == Ch('\r')) && !marks.cellEnd(k))
            return;
    marks.cellEnd(n);
}

// A colour item of exactly eight digits, the first not 0, as the usual colours are stored: read as
// one word instead of digit by digit. Such an item is exactly its number.
bool isEightDigits(quint64 x, char first)
{
    constexpr quint64 Ones = 0x0101010101010101ull;
    return first != '0' && (x & (Ones * 0xF0)) == Ones * 0x30 && ((x + Ones * 0x06) & (Ones * 0xF0)) == Ones * 0x30;
}

quint64 wordOf(const char (&digits)[9])
{
    quint64 x;
    std::memcpy(&x, digits, 8);
    return x;
}

// Then the colour list, column by column over the time rows and the extra row: grey is lunch
// whatever the cell holds, a colour of its own other than the free one is taken. A list never
// stored ("" or "0") leaves every cell the free colour of a first showing; an item that is no
// number leaves the cell without a colour of its own.
template <class Ch>
void markColors(Day &day, const Ch *p, qsizetype n)
{
    qsizetype from = 0, to = n;
    while (from < to && isBlank(p[from]))
        ++from;
    while (to > from && isBlank(p[to - 1]))
        --to;
    if (from == to || (to - from == 1 && p[from] == Ch('0')))
        return;
    static_assert(FreeSlotColor == 15663103 && LunchColor == 12632256);
    static const quint64 FreeWord = wordOf("15663103"), LunchWord = wordOf("12632256");
    const int perColumn = day.rows + 1;
    int c = 0, row = 0;
    quint64 taken = FreeWord; // the last other colour met: a page has few
    Cell *column = day.cells.data();
    for (qsizetype k = 0; k <= n; ++k) {
        Cell *cell = row < day.rows ? column + row : nullptr;
        if constexpr (std::is_same_v<Ch, char>) {
            quint64 word = 0;
            if (k + 8 <= n && (k + 8 == n || p[k + 8] == ' ')) {
                std::memcpy(&word, p + k, 8);
                if (word != FreeWord && word != LunchWord && word != taken && !isEightDigits(word, p[k]))
                    word = 0;
            }
            if (word) {
                if (word == LunchWord) {
                    if (cell)
                        *cell = Cell::Lunch;
                } else if (word != FreeWord) {
                    taken = word;
                    if (cell && *cell == Cell::Free)
                        *cell = Cell::Taken;
                }
                k += 8;
                if (++row == perColumn) {
                    row = 0;
                    column += day.rows;
                    if (++c >= day.techs)
                        break;
                }
                continue;
            }
        }
        const bool negative = k < n && p[k] == Ch('-');
        if (negative)
            ++k;
        const qsizetype digits = k;
        quint64 color = 0; // unsigned: a long run of digits wraps rather than overflows
        bool ok = true;
        for (; k < n && p[k] != Ch(' '); ++k) {
            const auto digit = unsigned(p[k] - Ch('0'));
            ok &= digit < 10;
            color = color * 10 + digit;
        }
        if (cell && ok && k > digits) {
            const qint64 value = qint64(negative ? 0 - color : color);
            if (value != 0 && value != FreeSlotColor) {
                if (value == LunchColor)
                    *cell = Cell::Lunch;
                else if (*cell == Cell::Free)
                    *cell = Cell::Taken;
            }
        }
        if (++row == perColumn) {
            row = 0;
            column += day.rows;
            if (++c >= day.techs)
                break;
        }
    }
}

// Days laid out as the page grid would lay them out, one at a time into the same cells; the rows
// of each opening, closing and slot length are counted once.
class DayReader {
public:
    template <class Text>
    const Day &layOut(const QString &open, const QString &close, int slotMinutes, int techs, const QString &names,
                      const Text &data, const Text &colorList, bool closed)
    {
        m_day.open = false;
        if (closed || techs <= 0)
            return m_day;
        if (!m_last || m_last->slotMinutes != slotMinutes || m_last->open != open || m_last->close != close)
            m_last = shapeOf(open, close, slotMinutes);
        const Shape &shape = *m_last;
        if (shape.rows < 0) {
            passOver(shape);
            return m_day;
        }
        m_day.open = true;
        m_day.first = shape.first;
        m_day.slotMinutes = slotMinutes;
        m_day.rows = shape.rows;
        m_day.techs = techs;
        m_day.names = names;
        m_day.cells.assign(std::size_t(techs) * std::size_t(shape.rows), Cell::Free);
        withChars(data, [this](const auto *p, qsizetype n) { markTexts(m_day, p, n); });
        withChars(colorList, [this](const auto *p, qsizetype n) { markColors(m_day, p, n); });
        return m_day;
    }

    const Day &layOut(const PageRecord &p)
    {
        return layOut(p.open, p.close, p.timeslot, p.listno, p.names, p.data, p.color, p.clinic);
    }

    const Day &layOut(const PageGrid &p)
    {
        return layOut(p.open, p.close, p.timeslot, p.listno, p.names, p.data, p.color, p.clinic);
    }

    const Day &layOut(const PageGridView &p)
    {
        return layOut(m_open(p.open), m_close(p.close), p.timeslot, p.listno, m_names(p.names), p.data, p.color,
                      p.clinic);
    }

    // The page a first opening would make from the settings, never stored.
    const Day &layOut(const OfficeSettings &s, const QDate &date)
    {
        const int day = OfficeSettings::weekdayNumber(date);
        const QVariant tmpl = s.templates[day];
        return layOut(s.open, s.close, s.timeslot, s.listno, s.names, tmpl.toString(), QString(),
                      !tmpl.isNull() && s.closed[day]);
    }

private:
    struct Shape {
        QString open, close;
        int slotMinutes;
        int rows; // -1: no grid can be drawn, so no slot to offer
        QTime first;
        std::optional<AppError> failure; // why no grid can be drawn
    };

    // Kept from search to search: the same few hours are laid out again and again, and reading
    // them is slow.
    static const Shape &shapeOf(const QString &open, const QString &close, int slotMinutes)
    {
        thread_local std::vector<Shape> shapes;
        for (const Shape &s : shapes)
            if (s.slotMinutes == slotMinutes && s.open == open && s.close == close)
                return s;
        int rows = -1;
        std::optional<AppError> failure;
        try {
            rows = int(PageModel::timeLabels(open, close, slotMinutes).size());
        } catch (const AppError &e) {
            failure = e;
        }
        if (shapes.size() >= 32)
            shapes.clear();
        shapes.push_back({open, close, slotMinutes, rows, parseTimeText(open), failure});
        return shapes.back();
    }

    // Hours that draw no rows offer no place; the other days are still searched. Told once a
    // search.
    void passOver(const Shape &shape)
    {
        const QString key = QStringLiteral("%1|%2|%3").arg(shape.open, shape.close).arg(shape.slotMinutes);
        if (shape.failure && !m_passedOver.contains(key)) {
            m_passedOver << key;
            DiagnosticLog::passedOver(QStringLiteral("Find a Slot"), *shape.failure);
        }
    }

    QStringList m_passedOver;
    std::optional<Shape> m_last;
    TextOf m_open, m_close, m_names;

    Day m_day;
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

int spanCells(float hours, int slotMinutes)
{
    return BookingTimes::spanSlots(qBound(SlotFinder::MinHours, hours, SlotFinder::MaxHours), slotMinutes);
}

// QTime::addSecs from the first row, wrapping at midnight, without its checks at every place.
QTime rowStart(int firstMs, const Day &day, int row)
{
    constexpr qint64 DayMs = 24 * 3600 * 1000;
    return QTime::fromMSecsSinceStartOfDay(int((firstMs + qint64(row) * day.slotMinutes * 60000) % DayMs));
}

} // namespace

QVector<SlotFinder::Place> SlotFinder::find(const Query &query)
{
    QVector<Place> out;
    if (!query.first.isValid() || query.days <= 0 || query.limit <= 0)
        return out;
    out.reserve(qMin(query.limit, 256));
    // The skills and the pages as one state of the file, its lock taken once.
    const ReadTogether together(m_store.database());
    const QDate last = query.first.addDays(query.days - 1);
    const TechSkills skills = TechSkills::read(m_store.database());
    QHash<int, bool> skilled; // by column
    auto holdsSkill = [&](int col) {
        if (query.skill < 1 || query.skill > TechSkills::Count)
            return true;
        auto held = skilled.constFind(col);
        if (held == skilled.constEnd())
            held = skilled.insert(col, skills.holds(col, query.skill));
        return *held;
    };
    const bool fromNow = query.notBefore.isValid();
    QVector<int> techs;
    QVarLengthArray<std::optional<QString>, 16> names; // by column, read when a place needs it
    QString namesRead;                                 // the list they were read from
    // The places of one day in time order, with upToLimit none past the limit of the list.
    auto placesOf = [&](const Day &day, const QDate &d, bool upToLimit) {
        if (!day.open)
            return;
        const int cells = spanCells(query.hours, day.slotMinutes);
        const int firstMs = day.first.msecsSinceStartOfDay();
        // Days after days name the same technicians.
        if (day.names != namesRead || names.size() != day.techs + 1) {
            namesRead = day.names;
            names.clear();
            names.resize(day.techs + 1);
        }
        techs.clear();
        for (int c = 1; c <= day.techs; ++c)
            if ((query.tech == 0 || query.tech == c) && holdsSkill(c))
                techs << c;
        for (int r = 0; r < day.rows; ++r) {
            if (fromNow && QDateTime(d, rowStart(firstMs, day, r)) < query.notBefore)
                continue;
            for (int c : techs) {
                if (upToLimit && out.size() >= query.limit)
                    return;
                const auto end = spanEnd(day.column(c), day.rows, r, cells);
                if (!end)
                    continue;
                std::optional<QString> &name = names[c];
                if (!name)
                    name = plainItem(day.names, QLatin1Char('%'), c - 1).toString(); // splitList's item c
                out.append({d, PageModel::FirstTimeRow + r, c, *name, rowStart(firstMs, day, r),
                            rowStart(firstMs, day, *end + 1)});
            }
        }
    };
    // The stored days as the range read hands them over; a date without a page is judged after
    // it, from the settings, and its places put in their place.
    DayReader reader;
    QVector<QDate> unstored;
    QDate next = query.first;
    m_store.eachGrid(query.first, last, [&](const PageGridView &page) {
        if (!page.date.isValid() || page.date < next)
            return; // a date no day has, or one seen already
        for (; next < page.date; next = next.addDays(1))
            unstored << next;
        next = page.date.addDays(1);
        // A stored place after the limit-th stored one comes after the limit whatever the dates
        // without a page add before it.
        if (out.size() < query.limit)
            placesOf(reader.layOut(page), page.date, true);
    });
    for (; next <= last; next = next.addDays(1))
        unstored << next;
    // Dates after the last place the limit lets in offer none.
    if (out.size() >= query.limit) {
        const QDate lastIn = out.at(query.limit - 1).date;
        unstored.removeIf([&](const QDate &d) { return d > lastIn; });
    }
    if (!unstored.isEmpty()) {
        const OfficeSettings settings = SettingsStore(m_store.database()).office();
        for (const QDate &d : std::as_const(unstored))
            placesOf(reader.layOut(settings, d), d, false);
        std::stable_sort(out.begin(), out.end(), [](const Place &a, const Place &b) { return a.date < b.date; });
        if (out.size() > query.limit)
            out.resize(query.limit);
    }
    return out;
}

bool SlotFinder::stillFits(const Place &place, float hours)
{
    DayReader reader;
    const auto page = m_store.find(place.date);
    const Day &day =
        page ? reader.layOut(*page) : reader.layOut(SettingsStore(m_store.database()).office(), place.date);
    if (!day.open || place.col < 1 || place.col > day.techs)
        return false;
    return spanEnd(day.column(place.col), day.rows, place.row - PageModel::FirstTimeRow,
                   spanCells(hours, day.slotMinutes))
        .has_value();
}
