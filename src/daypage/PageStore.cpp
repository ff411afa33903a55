#include "daypage/PageStore.h"

#include "core/Colors.h"
#include "core/DiagnosticLog.h"
#include "daypage/PageModel.h"
#include "store/BookingStore.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/StationRegistry.h"

#include <QDateTime>
#include <QHash>

namespace {
// The columns of a page record, its id first.
QString pageColumns(const Database &db)
{
    return db.engine().rowId()
           + QStringLiteral(" AS id, rowver, caldate, location, open, \"Close\", lunchstart, lunchclose, timeslot, "
                            "\"Listno\", \"Sites\", \"Names\", \"Data\", \"BlankPage\", \"Color\", \"Memo\", "
                            "\"Clinic\"");
}

// A row selected with pageColumns, by position: a page range reads many.
PageRecord recordFrom(const ResultRows &r, int row = 0)
{
    const QVariantList &v = r.rows.at(row);
    PageRecord p;
    p.id = v.at(0).toLongLong();
    p.version = v.at(1).toLongLong();
    p.date = QDate::fromString(v.at(2).toString(), Qt::ISODate);
    p.location = v.at(3).toString();
    p.open = v.at(4).toString();
    p.close = v.at(5).toString();
    p.lunchStart = v.at(6).toString();
    p.lunchClose = v.at(7).toString();
    p.timeslot = v.at(8).toInt();
    p.listno = v.at(9).toInt();
    p.sites = v.at(10).toString();
    p.names = v.at(11).toString();
    p.data = v.at(12).toString();
    p.blankPage = v.at(13).toString();
    p.color = v.at(14).toString();
    p.memo = v.at(15).toString();
    p.clinic = v.at(16).toInt() != 0;
    return p;
}

AppError pageGone()
{
    return AppError(ErrNo::PageChanged, QStringLiteral("The page was deleted or made again by another station."));
}

AppError cellChanged()
{
    return AppError(ErrNo::PageChanged, QStringLiteral("Another station has changed this timeslot."));
}

// Rows of one page: its record and its date.
QString byKey(const Database &db) { return QStringLiteral(" WHERE %1 = ? AND caldate = ?").arg(db.engine().rowId()); }

// The colours a first showing stores for an open page of this layout made from tmpl: every booking
// cell the free colour, the template's LUNCH cells grey. None when the layout cannot be drawn.
std::optional<QVector<qint64>> freshColors(const QString &tmpl, const QString &open, const QString &close,
                                           int slotMinutes, int techs)
{
    GridModel grid;
    PageModel page(grid);
    try {
        page.drawRows(open, close, slotMinutes, 1);
    } catch (const AppError &e) {
        // Hours that draw no rows: the page has no first showing to compare with.
        DiagnosticLog::passedOver(QStringLiteral("First colours"), e);
        return std::nullopt;
    }
    page.drawColumns(techs, {}, {}, QString());
    page.loadPageText(tmpl);
    page.fillCellColors(FreeSlotColor);
    page.lunchPass();
    return page.cellColors();
}

bool isAscii(const QString &s)
{
    for (QChar ch : s)
        if (ch.unicode() > 0x7f)
            return false;
    return true;
}
} // namespace

std::optional<PageRecord> PageStore::find(const QDate &date, std::optional<SettingsStore::Layout> *layout)
{
    const QString sql = layout ? QStringLiteral("SELECT %1, %2 FROM \"tbl_Appt\" WHERE caldate = ?")
                                     .arg(pageColumns(m_db), SettingsStore::layoutColumns())
                               : QStringLiteral("SELECT %1 FROM \"tbl_Appt\" WHERE caldate = ?").arg(pageColumns(m_db));
    const ResultRows r = m_db.select(sql, {date});
    if (r.isEmpty())
        return std::nullopt;
    if (layout)
        *layout = SettingsStore::layoutFrom(r.rows[0].at(17), r.rows[0].at(18));
    return recordFrom(r);
}

namespace {
// A stored date, "yyyy-MM-dd", read without the general date parser; anything else through it.
QDate storedDate(QByteArrayView t)
{
    auto digits = [&](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            const char ch = t[i];
            if (ch < '0' || ch > '9')
                return -1;
            v = v * 10 + (ch - '0');
        }
        return v;
    };
    if (t.size() == 10 && t[4] == '-' && t[7] == '-') {
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (y >= 0 && m >= 0 && d >= 0)
            return QDate(y, m, d);
    }
    return QDate::fromString(QString::fromLatin1(t), Qt::ISODate);
}

// Text of a range read that is most often the row before's: shared with it instead of made again.
class SameText {
public:
    const QString &operator()(QByteArrayView bytes)
    {
        if (!m_known || bytes.isNull() != m_null || bytes != QByteArrayView(m_bytes)) {
            m_null = bytes.isNull();
            m_bytes = bytes.toByteArray();
            m_text = QString::fromUtf8(bytes);
            m_known = true;
        }
        return m_text;
    }

private:
    bool m_known = false, m_null = false;
    QByteArray m_bytes;
    QString m_text;
};
} // namespace

QVector<PageGrid> PageStore::gridsBetween(const QDate &from, const QDate &to)
{
    QVector<PageGrid> out;
    out.reserve(qBound(0, int(from.daysTo(to)) + 1, 400));
    SameText open, close, names;
    eachGrid(from, to, [&](const PageGridView &p) {
        out.append({p.date, open(p.open), close(p.close), names(p.names), p.timeslot, p.listno, p.data.toByteArray(),
                    p.color.toByteArray(), p.clinic});
    });
    return out;
}

void PageStore::eachGrid(const QDate &from, const QDate &to, const std::function<void(const PageGridView &)> &page)
{
    m_db.scan(QStringLiteral("SELECT caldate, open, \"Close\", timeslot, \"Listno\", \"Names\", \"Data\", \"Color\", "
                             "\"Clinic\" FROM \"tbl_Appt\" WHERE caldate >= ? AND caldate <= ? ORDER BY caldate"),
              {from, to}, [&](const RowView &r) {
                  page({storedDate(r.text(0)), r.text(1), r.text(2), r.text(5), r.text(6), r.text(7), int(r.integer(3)),
                        int(r.integer(4)), r.integer(8) != 0});
              });
}

PageRecord PageStore::load(const PageKey &key)
{
    const ResultRows r = m_db.select(QStringLiteral("SELECT %1 FROM \"tbl_Appt\"").arg(pageColumns(m_db)) + byKey(m_db),
                                     {key.id, key.date});
    if (r.isEmpty())
        throw pageGone();
    return recordFrom(r);
}

std::optional<qint64> PageStore::version(const PageKey &key)
{
    const QVariant v = m_db.scalar(QStringLiteral("SELECT rowver FROM \"tbl_Appt\"") + byKey(m_db), {key.id, key.date});
    if (!v.isValid())
        return std::nullopt;
    return v.toLongLong();
}

PageStore::Created PageStore::create(const QDate &date)
{
    WriteTransaction tx(m_db, date);
    Created c = insertPage(date);
    tx.commit();
    return c;
}

PageStore::Created PageStore::insertPage(const QDate &date)
{
    Created c;
    if (auto existing = find(date)) {
        c.page = *existing;
        return c;
    }
    const OfficeSettings s = SettingsStore(m_db).office();
    const int day = OfficeSettings::weekdayNumber(date);
    const QVariant tmpl = s.templates[day];
    c.templateMissing = tmpl.isNull();
    m_db.execute(
        QStringLiteral("INSERT INTO \"tbl_Appt\" (caldate, location, open, \"Close\", timeslot, lunchstart, "
                       "lunchclose, \"Listno\", \"Sites\", \"Names\", \"Color\", \"Memo\", \"Skills\", \"Spare\", "
                       "\"Clinic\", \"Data\", \"BlankPage\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '0', '', ?, ?, ?, ?, ?)"),
        {date, s.location, s.open, s.close, s.timeslot, s.lunchStart, s.lunchClose, s.listno, s.sites, s.names,
         s.skills, s.spare, c.templateMissing ? false : s.closed[day], tmpl, tmpl});
    c.page = *find(date);
    c.created = true;
    return c;
}

QString PageStore::storedText(const PageKey &key, const char *field)
{
    const ResultRows r = m_db.select(
        QStringLiteral("SELECT \"%1\" FROM \"tbl_Appt\"").arg(QLatin1String(field)) + byKey(m_db), {key.id, key.date});
    if (r.isEmpty())
        throw pageGone();
    return r.rows.first().first().toString();
}

void PageStore::update(const PageKey &key, const QString &sets, QVariantList binds)
{
    binds << key.id << key.date;
    if (m_db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET %1, rowver = rowver + 1").arg(sets) + byKey(m_db), binds)
        == 0)
        throw pageGone();
}

QString PageStore::guardedUpdate(const QString &sets) const
{
    return QStringLiteral("UPDATE \"tbl_Appt\" SET %1, rowver = rowver + 1").arg(sets) + byKey(m_db)
           + QStringLiteral(" AND rowver = ?");
}

bool PageStore::updateAt(const PageKey &key, qint64 version, const QString &sql, QVariantList binds)
{
    binds << key.id << key.date << version;
    if (m_db.executeLocked(sql, binds, key.date) == 1)
        return true;
    if (!this->version(key))
        throw pageGone();
    return false;
}

namespace {
// A page merge that keeps meeting other stations' writes between its read and its write gives
// way; the caller tries the whole again like any write that met the lock.
constexpr int MergeRounds = 20;

AppError mergeOutrun()
{
    return AppError(ErrNo::RecordLocked, QStringLiteral("Could not update; currently locked by another user."));
}
} // namespace

const QString &PageStore::saveSql(int parts)
{
    const QString rowId = m_db.engine().rowId();
    if (m_saveSql.rowId != rowId) {
        m_saveSql = {};
        m_saveSql.rowId = rowId;
        m_saveSql.read =
            QStringLiteral("SELECT \"Data\", \"Clinic\", \"Color\", rowver FROM \"tbl_Appt\"") + byKey(m_db);
    }
    QString &sql = m_saveSql.write[parts];
    if (parts && sql.isEmpty()) {
        QStringList sets;
        if (parts & SaveColors)
            sets << QStringLiteral("\"Color\" = ?");
        if (parts & SaveText)
            sets << QStringLiteral("\"Data\" = ?") << QStringLiteral("\"Clinic\" = ?");
        if (parts & SaveBlankPage)
            sets << QStringLiteral("\"BlankPage\" = ?");
        sql = guardedUpdate(sets.join(QLatin1String(", ")));
    }
    return parts ? sql : m_saveSql.read;
}

PageStore::Saved PageStore::savePage(const PageKey &key, const std::optional<ColorsToSave> &colors,
                                     const std::optional<TextToSave> &text)
{
    // Read without the lock, merged here, written only if nobody wrote the page in between. On a
    // file the read and the write share one write transaction: the lock is taken once, not twice.
    std::optional<WriteTransaction> tx;
    if (m_db.engine().statementTakesWriteLock())
        tx.emplace(m_db, key.date);
    for (int round = 0; round < MergeRounds; ++round) {
        // Read as stored, UTF-8, without the driver's conversions.
        bool found = false, closedStored = false;
        QString textStored, listStored;
        Saved out;
        m_db.scan(
            saveSql(0), {key.id, key.date},
            [&](const RowView &r) {
                found = true;
                textStored = QString::fromUtf8(r.text(0));
                closedStored = r.integer(1) != 0;
                listStored = QString::fromUtf8(r.text(2));
                out.version = out.readAt = r.integer(3);
            },
            true);
        if (!found)
            throw pageGone();
        int parts = 0;
        QVariantList binds;
        QString list, joined;
        if (colors) {
            const QVector<std::optional<qint64>> now = ColorList::parse(listStored);
            if (!colors->base && !ColorList::isUnset(listStored)) {
                // Another station showed the page first: its list stands.
                out.colors = colors->mine;
                for (int i = 0; i < out.colors->size() && i < now.size(); ++i)
                    if (now.at(i))
                        (*out.colors)[i] = *now.at(i);
            } else {
                out.colors = colors->base ? ColorList::applied(now, *colors->base, colors->mine)
                                          : std::optional<QVector<qint64>>(colors->mine);
                if (!out.colors)
                    throw cellChanged();
                list = ColorList::formatRemembered(*out.colors);
                parts |= SaveColors;
                binds << list;
            }
        }
        if (text) {
            out.cells = PageText::applied(PageText::parse(textStored), text->base, text->mine, text->counterRow);
            if (!out.cells)
                throw cellChanged();
            // The closed flag is this station's only where it changed it: a page another station
            // closed meanwhile stays closed.
            const bool closedNow = text->closed != text->closedBase ? text->closed : closedStored;
            joined = PageText::joinRemembered(*out.cells);
            parts |= SaveText;
            binds << joined << closedNow;
            if (text->alsoBlankPage) {
                parts |= SaveBlankPage;
                binds << joined;
            }
        }
        if (!parts) {
            if (tx)
                tx->commit();
            return out;
        }
        if (updateAt(key, out.version, saveSql(parts), binds)) {
            if (tx)
                tx->commit();
            ++out.version;
            return out;
        }
    }
    throw mergeOutrun();
}

void PageStore::setClosed(const PageKey &key, bool closed)
{
    WriteTransaction tx(m_db, key.date);
    update(key, QStringLiteral("\"Clinic\" = ?"), {closed});
    tx.commit();
}

void PageStore::saveMemo(const PageKey &key, const std::optional<QString> &base, const QString &memo)
{
    WriteTransaction tx(m_db, key.date);
    const QString stored = storedText(key, "Memo");
    if (base && stored != *base && stored != memo)
        throw AppError(ErrNo::PageChanged, QStringLiteral("Another station has changed this memo."));
    update(key, QStringLiteral("\"Memo\" = ?"), {memo});
    tx.commit();
}

bool PageStore::releaseCell(const PageKey &key, int r, int c, const QString &mark, qint64 station)
{
    WriteTransaction tx(m_db, key.date);
    PageText::Cells cells = PageText::parse(storedText(key, "Data"));
    if (r < 0 || r >= cells.size() || c < 0 || c >= cells.at(r).size() || cells.at(r).at(c) != mark
        || !holdsClaim(key, r, c, station))
        return false;
    cells[r][c].clear();
    update(key, QStringLiteral("\"Data\" = ?"), {PageText::join(cells)});
    tx.commit();
    return true;
}

bool PageStore::holdsClaim(const PageKey &key, int r, int c, qint64 station)
{
    const QVariant holder = m_db.scalar(
        QStringLiteral("SELECT station FROM \"tbl_Claim\" WHERE caldate = ? AND slotrow = ? AND slotcol = ?"),
        {key.date, r + PageModel::TextTopRow, c + 1});
    return holder.isNull() || holder.toLongLong() == station;
}

PageStore::Claim PageStore::claimCell(const PageKey &key, int rows, int cols, int r, int c, const QString &mark,
                                      const ClaimOwner &owner)
{
    WriteTransaction tx(m_db, key.date);
    Claim out;
    const ResultRows page = m_db.select(
        QStringLiteral("SELECT \"Data\", \"Listno\", rowver FROM \"tbl_Appt\"") + byKey(m_db), {key.id, key.date});
    if (page.isEmpty())
        throw pageGone();
    out.version = out.readAt = page.rows[0][2].toLongLong();
    out.cells = PageText::shaped(PageText::parse(page.rows[0][0].toString()), rows, cols);
    // A grid laid out from anything but this page (a read that failed half way) never books a
    // column the page does not have.
    const int techs = page.rows[0][1].toInt();
    if (r < 0 || r >= rows || c < 0 || c >= qMin(cols, techs)) {
        tx.commit();
        return out;
    }
    const QVariantList slot{key.date, r + PageModel::TextTopRow, c + 1};
    const QString text = out.cells.at(r).at(c);
    auto writeCell = [&](const QString &cell) {
        out.cells[r][c] = cell;
        update(key, QStringLiteral("\"Data\" = ?"), {PageText::join(out.cells)});
        ++out.version;
    };
    auto recordOwner = [&] {
        m_db.execute(QStringLiteral("INSERT INTO \"tbl_Claim\" (caldate, slotrow, slotcol, station, claimed) "
                                    "VALUES (?, ?, ?, ?, ?) ON CONFLICT (caldate, slotrow, slotcol) "
                                    "DO UPDATE SET station = excluded.station, claimed = excluded.claimed"),
                     slot + QVariantList{owner.station, QDateTime::currentMSecsSinceEpoch()});
    };
    if (text.isEmpty()) {
        writeCell(mark);
        recordOwner();
        tx.commit();
        out.claimed = true;
        return out;
    }
    // Another claim is taken over only when the station that made it has stopped; a station
    // that cannot show it is running itself never judges another.
    if (text != mark || owner.station <= 0) {
        tx.commit();
        return out;
    }
    const QVariant holder = m_db.scalar(
        QStringLiteral("SELECT station FROM \"tbl_Claim\" WHERE caldate = ? AND slotrow = ? AND slotcol = ?"), slot);
    if (StationRegistry::running(m_db, holder.toLongLong(), owner.timeoutMs)) {
        tx.commit();
        return out;
    }
    // A booking saved under the claim shows its name again; otherwise the claim is this station's.
    const QString name = BookingStore(m_db).nameAt(key.date, c + 1, r + PageModel::TextTopRow).value_or(QString());
    if (name.isEmpty()) {
        recordOwner();
    } else {
        writeCell(name);
        m_db.execute(QStringLiteral("DELETE FROM \"tbl_Claim\" WHERE caldate = ? AND slotrow = ? AND slotcol = ?"),
                     slot);
    }
    tx.commit();
    out.claimed = true;
    out.tookOver = true;
    return out;
}

int PageStore::deleteUntouchedPages()
{
    WriteTransaction tx(m_db);
    const OfficeSettings s = SettingsStore(m_db).office();
    // A page whose date has a booking record is kept whatever it shows.
    const QSet<QDate> booked = BookingStore(m_db).bookedDates();
    const ResultRows r =
        m_db.select(QStringLiteral("SELECT %1, caldate, open, \"Close\", timeslot, \"Listno\", \"Color\", \"Clinic\" "
                                   "FROM \"tbl_Appt\" a WHERE COALESCE(\"Data\", '') = COALESCE(\"BlankPage\", '') "
                                   "AND COALESCE(\"Memo\", '') = ''")
                        .arg(m_db.engine().rowId()));
    QHash<QString, std::optional<QVector<qint64>>> fresh; // by weekday and layout
    QVariantList gone;
    for (const QVariantList &row : r.rows) {
        const QDate date = QDate::fromString(row.at(1).toString(), Qt::ISODate);
        if (!date.isValid() || booked.contains(date))
            continue;
        const int day = OfficeSettings::weekdayNumber(date);
        // A weekday without a template makes open pages.
        const bool closedWhenMade = !s.templates[day].isNull() && s.closed[day];
        if ((row.at(7).toInt() != 0) != closedWhenMade)
            continue;
        const QString color = row.at(6).toString();
        if (!ColorList::isUnset(color)) {
            const QString open = row.at(2).toString(), close = row.at(3).toString();
            const int slot = row.at(4).toInt(), techs = row.at(5).toInt();
            const QString key = QStringLiteral("%1|%2|%3|%4|%5").arg(day).arg(open, close).arg(slot).arg(techs);
            if (!fresh.contains(key))
                fresh.insert(key, freshColors(s.templates[day].toString(), open, close, slot, techs));
            const auto &expected = fresh.value(key);
            if (!expected)
                continue;
            QVector<std::optional<qint64>> stored = ColorList::parse(color);
            while (!stored.isEmpty() && !stored.last())
                stored.removeLast();
            if (stored.size() != expected->size())
                continue;
            bool same = true;
            for (int i = 0; same && i < stored.size(); ++i) {
                // 0 is a cell shown in the background colour: the free colour on an open page.
                const qint64 c = stored.at(i).value_or(-1);
                same = c == expected->at(i) || (c == 0 && expected->at(i) == FreeSlotColor);
            }
            if (!same)
                continue;
        }
        gone << row.at(0);
    }
    for (const QVariant &id : gone)
        m_db.execute(QStringLiteral("DELETE FROM \"tbl_Appt\" WHERE %1 = ?").arg(m_db.engine().rowId()), {id});
    tx.commit();
    return int(gone.size());
}

void PageStore::setTechnicians(const QDate &from, int listno, const QString &sites, const QString &names)
{
    m_db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Listno\" = ?, \"Sites\" = ?, \"Names\" = ?, "
                                "rowver = rowver + 1 WHERE caldate >= ?"),
                 {listno, sites, names, from});
}

std::optional<QDate> PageStore::findName(const QString &name, const QDate &before)
{
    // Only pages the calendar can show.
    const QString upTo = before.isValid() ? before.toString(Qt::ISODate) : QStringLiteral("2039-01-01");
    const QString earliest = QStringLiteral("1997-01-01");
    if (isAscii(name)) {
        // LIKE folds the case of ASCII letters only, which is all an ASCII name can match, and
        // compares each page text where it lies instead of copying it lower-cased first.
        QString pattern = name;
        pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('%'), QLatin1String("\\%"))
            .replace(QLatin1Char('_'), QLatin1String("\\_"));
        const QVariant d =
            m_db.scalar(QStringLiteral("SELECT caldate FROM \"tbl_Appt\" WHERE caldate < ? AND caldate >= ? "
                                       "AND \"Data\" %1 ? ESCAPE '\\' ORDER BY caldate DESC LIMIT 1")
                            .arg(m_db.engine().likeNoCase()),
                        {upTo, earliest, QLatin1Char('%') + pattern + QLatin1Char('%')});
        if (d.isNull())
            return std::nullopt;
        return QDate::fromString(d.toString(), Qt::ISODate);
    }
    // Other letters: compare here, a batch of pages at a time from the latest back.
    QString from = upTo;
    for (;;) {
        const ResultRows r = m_db.select(QStringLiteral("SELECT caldate, \"Data\" FROM \"tbl_Appt\" WHERE caldate < ? "
                                                        "AND caldate >= ? ORDER BY caldate DESC LIMIT 200"),
                                         {from, earliest});
        for (const auto &row : r.rows)
            if (row.at(1).toString().contains(name, Qt::CaseInsensitive))
                return QDate::fromString(row.at(0).toString(), Qt::ISODate);
        if (r.rows.size() < 200)
            return std::nullopt;
        from = r.rows.last().at(0).toString();
    }
}
