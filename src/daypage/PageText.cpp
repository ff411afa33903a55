#include "daypage/PageText.h"

#include "core/Numbers.h"

#include <algorithm>
#include <array>

namespace {
// The last texts parsed with what they gave, kept per thread: a page save finds the page text as
// its opening or its last save left it, unless another station wrote it since.
template <class Parsed>
class Recent {
public:
    const Parsed *find(const QString &text)
    {
        for (std::size_t i = 0; i < m_kept; ++i)
            if (m_entries[i].text == text) {
                std::rotate(m_entries.begin(), m_entries.begin() + qsizetype(i), m_entries.begin() + qsizetype(i) + 1);
                return &m_entries[0].parsed;
            }
        return nullptr;
    }
    void keep(const QString &text, const Parsed &parsed)
    {
        std::rotate(m_entries.begin(), m_entries.end() - 1, m_entries.end());
        m_entries[0] = {text, parsed};
        m_kept = qMin(m_kept + 1, m_entries.size());
    }

private:
    struct Entry {
        QString text;
        Parsed parsed;
    };
    std::array<Entry, 2> m_entries;
    std::size_t m_kept = 0;
};

thread_local Recent<PageText::Cells> recentTexts;
thread_local Recent<QVector<std::optional<qint64>>> recentLists;

// A number text as the hours rows hold them.
bool isNumber(const QString &s)
{
    bool ok = false;
    s.trimmed().toFloat(&ok);
    return ok;
}
} // namespace

namespace PageText {

Cells parse(const QString &text)
{
    Cells out;
    if (text.isEmpty())
        return out;
    if (const Cells *known = recentTexts.find(text))
        return *known;
    // Cell by cell in place: a page opening parses a few hundred.
    const QStringView all(text);
    QStringList row;
    qsizetype from = 0;
    for (qsizetype k = 0; k <= all.size(); ++k) {
        const char16_t ch = k < all.size() ? all[k].unicode() : u'\r';
        if (ch != u'\t' && ch != u'\r')
            continue;
        row.append(all.sliced(from, k - from).toString());
        from = k + 1;
        if (ch == u'\r') {
            const qsizetype cols = row.size();
            out.append(std::move(row));
            row = QStringList();
            row.reserve(cols);
        }
    }
    recentTexts.keep(text, out);
    return out;
}

namespace {
bool isSeparator(QChar ch) { return ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n'); }
} // namespace

QString cellText(const QString &text)
{
    QString out = text;
    for (QChar &ch : out)
        if (isSeparator(ch))
            ch = QLatin1Char(' ');
    return out;
}

bool isRefusedInCell(QChar ch) { return ch == QLatin1Char('{') || ch == QLatin1Char('}'); }

QString pastedCellText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool gap = false;
    for (QChar ch : text) {
        if (isRefusedInCell(ch))
            continue;
        if (isSeparator(ch)) {
            gap = true;
            continue;
        }
        if (gap && !out.isEmpty())
            out += QLatin1Char(' ');
        gap = false;
        out += ch;
    }
    return out;
}

namespace {
// exact tells whether parsing the text gives back cells as they are: a grid of rows and columns
// whose cells hold no separator.
QString joined(const Cells &cells, bool *exact)
{
    // Sized once and written in place: every page save joins a few hundred cells.
    qsizetype size = cells.isEmpty() ? 0 : cells.size() - 1;
    bool grid = !cells.isEmpty() && !cells.first().isEmpty();
    for (const QStringList &row : cells) {
        grid = grid && row.size() == cells.first().size();
        size += row.isEmpty() ? 0 : row.size() - 1;
        for (const QString &cell : row)
            size += cell.size();
    }
    QString out(size, Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(out.data());
    bool replaced = false;
    for (qsizetype r = 0; r < cells.size(); ++r) {
        if (r)
            *p++ = u'\r';
        const QStringList &row = cells.at(r);
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c)
                *p++ = u'\t';
            for (QChar ch : row.at(c)) {
                const bool separator = isSeparator(ch);
                replaced |= separator;
                *p++ = separator ? u' ' : ch.unicode();
            }
        }
    }
    *exact = grid && !replaced && !out.isEmpty();
    return out;
}
} // namespace

QString join(const Cells &cells)
{
    bool exact = false;
    return joined(cells, &exact);
}

QString joinRemembered(const Cells &cells)
{
    bool exact = false;
    QString out = joined(cells, &exact);
    if (exact)
        recentTexts.keep(out, cells);
    return out;
}

Cells shaped(const Cells &cells, int rows, int cols)
{
    Cells out(qMax(rows, 0));
    for (int r = 0; r < out.size(); ++r) {
        QStringList &row = out[r];
        row.reserve(cols);
        const QStringList *src = r < cells.size() ? &cells.at(r) : nullptr;
        for (int c = 0; c < cols; ++c)
            row.append(src && c < src->size() ? src->at(c) : QString());
    }
    return out;
}

namespace {
// Cells with mine applied where it differs from base; conflict tells whether a changed cell no
// longer held base (it shows mine all the same).
Cells overlay(const Cells &stored, const Cells &base, const Cells &mine, int counterRow, bool *conflict)
{
    const int rows = int(mine.size());
    const int cols = rows ? int(mine.first().size()) : 0;
    // Cells already of mine's shape are shared, not copied: a save merges the whole page.
    auto ofShape = [rows, cols](const Cells &cells) {
        if (cells.size() != rows)
            return false;
        for (const QStringList &row : cells)
            if (row.size() != cols)
                return false;
        return true;
    };
    Cells out = ofShape(stored) ? stored : shaped(stored, rows, cols);
    const Cells b = ofShape(base) ? base : shaped(base, rows, cols);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const QString &m = mine.at(r).at(c), &was = b.at(r).at(c);
            const QString now = out.at(r).at(c);
            if (m == was || now == m)
                continue;
            const bool addUp =
                r == counterRow && now != was && isNumber(m) && isNumber(now) && (was.isEmpty() || isNumber(was));
            if (addUp)
                out[r][c] = numberText(leadingNumber(now) + leadingNumber(m) - leadingNumber(was));
            else if (now == was)
                out[r][c] = m;
            else {
                *conflict = true;
                out[r][c] = m;
            }
        }
    }
    return out;
}
} // namespace

Cells merged(const Cells &stored, const Cells &base, const Cells &mine, int counterRow)
{
    bool conflict = false;
    return overlay(stored, base, mine, counterRow, &conflict);
}

std::optional<Cells> applied(const Cells &stored, const Cells &base, const Cells &mine, int counterRow)
{
    bool conflict = false;
    Cells out = overlay(stored, base, mine, counterRow, &conflict);
    if (conflict)
        return std::nullopt;
    return out;
}

} // namespace PageText

namespace ColorList {

bool isUnset(const QString &text)
{
    const QString t = text.trimmed();
    return t.isEmpty() || t == QLatin1String("0");
}

QVector<std::optional<qint64>> parse(const QString &text)
{
    QVector<std::optional<qint64>> out;
    if (isUnset(text))
        return out;
    if (const auto *known = recentLists.find(text))
        return *known;
    // Read in place: a page opening parses a list of a few hundred items.
    const QStringView all(text);
    out.reserve(all.count(QLatin1Char(' ')) + 1);
    qsizetype from = 0;
    for (;;) {
        qsizetype to = all.indexOf(QLatin1Char(' '), from);
        const bool lastItem = to < 0;
        if (lastItem)
            to = all.size();
        const QStringView item = all.sliced(from, to - from);
        // The trailing blank of the format leaves one empty last item, which is no cell.
        if (lastItem && item.isEmpty())
            break;
        qsizetype k = item.startsWith(QLatin1Char('-')) ? 1 : 0;
        const qsizetype digits = item.size() - k;
        qint64 v = 0;
        bool plain = digits > 0 && digits <= 18;
        for (; plain && k < item.size(); ++k) {
            const char16_t ch = item.at(k).unicode();
            plain = ch >= u'0' && ch <= u'9';
            v = v * 10 + (ch - u'0');
        }
        if (plain) {
            out.append(item.startsWith(QLatin1Char('-')) ? -v : v);
        } else {
            bool ok = false;
            const qint64 parsed = item.toLongLong(&ok);
            out.append(ok ? std::optional<qint64>(parsed) : std::nullopt);
        }
        if (lastItem)
            break;
        from = to + 1;
    }
    recentLists.keep(text, out);
    return out;
}

QString format(const QVector<qint64> &colors)
{
    // Digits written in place: the list of a page is formatted at every save.
    QString out(colors.size() * 21, Qt::Uninitialized);
    char16_t *const start = reinterpret_cast<char16_t *>(out.data());
    char16_t *p = start;
    static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                    "8081828384858687888990919293949596979899";
    for (qint64 c : colors) {
        char16_t digits[20];
        int n = 20;
        quint64 v = c < 0 ? 0 - quint64(c) : quint64(c);
        // Two digits at a time, from the last.
        while (v >= 100) {
            const auto pair = unsigned(v % 100) * 2;
            v /= 100;
            digits[--n] = char16_t(Pairs[pair + 1]);
            digits[--n] = char16_t(Pairs[pair]);
        }
        if (v >= 10) {
            digits[--n] = char16_t(Pairs[v * 2 + 1]);
            digits[--n] = char16_t(Pairs[v * 2]);
        } else {
            digits[--n] = char16_t(u'0' + v);
        }
        if (c < 0)
            *p++ = u'-';
        while (n < 20)
            *p++ = digits[n++];
        *p++ = u' ';
    }
    out.truncate(p - start);
    return out;
}

QString formatRemembered(const QVector<qint64> &colors)
{
    QString out = format(colors);
    QVector<std::optional<qint64>> numbers(colors.size());
    for (qsizetype i = 0; i < colors.size(); ++i)
        numbers[i] = colors.at(i);
    recentLists.keep(out, numbers);
    return out;
}

std::optional<QVector<qint64>> applied(const QString &stored, const QVector<qint64> &base, const QVector<qint64> &mine)
{
    return applied(parse(stored), base, mine);
}

std::optional<QVector<qint64>> applied(const QVector<std::optional<qint64>> &now, const QVector<qint64> &base,
                                       const QVector<qint64> &mine)
{
    QVector<qint64> out(mine.size(), 0);
    for (int i = 0; i < mine.size(); ++i) {
        const qint64 nowValue = i < now.size() && now.at(i) ? *now.at(i) : mine.at(i);
        const qint64 baseValue = i < base.size() ? base.at(i) : 0;
        if (mine.at(i) != baseValue && nowValue != baseValue && nowValue != mine.at(i))
            return std::nullopt;
        out[i] = mine.at(i) != baseValue ? mine.at(i) : nowValue;
    }
    return out;
}

} // namespace ColorList
