#include "store/CustomerStore.h"

#include "store/Database.h"

#include <QHash>
#include <QSet>
#include <QVector>
#include <algorithm>
#include <utility>

namespace {
const QString Engaged = QStringLiteral("Engaged");
const QString PhoneMark = QStringLiteral("#");
const QString VehicleMark = QStringLiteral("@");
constexpr int LocalDigits = 7;

// One key per word, cut at KeyLength: a look-up reads the range of keys that start with what was
// typed, so the shorter prefixes need no rows of their own.
void addKey(QStringList &keys, const QString &text, int shortest, const QString &mark = QString())
{
    if (text.size() >= shortest)
        keys << mark + text.left(CustomerStore::KeyLength);
}

// Above every key that starts with key: the highest code point sorts after any that can follow.
QString pastKeysOf(const QString &key) { return key + QString::fromUcs4(U"\U0010FFFF"); }
} // namespace

QString CustomerStore::foldedName(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_KD).toLower();
    QString out;
    bool blank = false;
    for (const QChar ch : decomposed) {
        if (ch.isLetterOrNumber()) {
            if (blank && !out.isEmpty())
                out += QLatin1Char(' ');
            blank = false;
            out += ch;
        } else if (ch.category() != QChar::Mark_NonSpacing) {
            blank = true;
        }
    }
    return out;
}

QString CustomerStore::phoneDigits(const QString &phone)
{
    QString out = QStringLiteral(""); // never null: a key column takes no NULL
    for (const QChar ch : phone)
        if (ch.isDigit())
            out += QChar(QLatin1Char('0' + ch.digitValue()));
    return out;
}

QStringList CustomerStore::keysOf(const QString &nameKey, const QString &phoneKey)
{
    QStringList keys;
    for (const QString &word : nameKey.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        addKey(keys, word, MinLetters);
    addKey(keys, phoneKey, MinDigits, PhoneMark);
    if (phoneKey.size() > LocalDigits)
        addKey(keys, phoneKey.right(LocalDigits), MinDigits, PhoneMark);
    keys.removeDuplicates();
    return keys;
}

QString CustomerStore::lookupKey(const QString &typed)
{
    const QString digits = phoneDigits(typed);
    const QString folded = foldedName(typed);
    if (!digits.isEmpty() && digits.size() == QString(folded).remove(QLatin1Char(' ')).size())
        return digits.size() >= MinDigits ? PhoneMark + digits.left(KeyLength) : QString();
    const QString first = folded.section(QLatin1Char(' '), 0, 0);
    return first.size() >= MinLetters ? first.left(KeyLength) : QString();
}

QStringList CustomerStore::vehicleKeysOf(const QString &vehicle, const QString &make)
{
    QStringList keys;
    for (const QString &word :
         foldedName(vehicle + QLatin1Char(' ') + make).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        addKey(keys, word, MinLetters, VehicleMark);
    keys.removeDuplicates();
    return keys;
}

void CustomerStore::remember(const QDate &date, const Customer &booked)
{
    const QString name = booked.name.trimmed();
    if (name.isEmpty() || name == Engaged || !date.isValid())
        return;
    const QString nameKey = foldedName(name), phoneKey = phoneDigits(booked.phone);
    if (nameKey.isEmpty())
        return;
    const QVariantList details{name,           booked.phone, booked.address,
                               booked.city,    booked.prov,  booked.postCode,
                               booked.vehicle, booked.make,  date};
    // The customer in one statement that adds or updates, so stations saving the same customer at
    // once on different pages (which do not wait for each other's page) both land instead of the
    // second meeting the first's new row. ISO dates compare as text; an older booking saved again
    // leaves the newer details.
    m_db.execute(QStringLiteral("INSERT INTO \"tbl_Customer\" AS c (\"cName\", \"cPhone\", \"cAddress\", "
                                "\"cCity\", \"cProv\", \"cPostCode\", \"cVehicle\", \"cMake\", \"lastVisit\", "
                                "\"nameKey\", \"phoneKey\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                "ON CONFLICT (\"nameKey\", \"phoneKey\") DO UPDATE SET \"cName\" = excluded.\"cName\", "
                                "\"cPhone\" = excluded.\"cPhone\", \"cAddress\" = excluded.\"cAddress\", "
                                "\"cCity\" = excluded.\"cCity\", \"cProv\" = excluded.\"cProv\", "
                                "\"cPostCode\" = excluded.\"cPostCode\", \"cVehicle\" = excluded.\"cVehicle\", "
                                "\"cMake\" = excluded.\"cMake\", \"lastVisit\" = excluded.\"lastVisit\" "
                                "WHERE COALESCE(c.\"lastVisit\", '') <= excluded.\"lastVisit\""),
                 details + QVariantList{nameKey, phoneKey});
    addKeys(nameKey, phoneKey, keysOf(nameKey, phoneKey) + vehicleKeysOf(booked.vehicle, booked.make), {booked.name});
}

void CustomerStore::addKeys(const QString &nameKey, const QString &phoneKey, const QStringList &keys,
                            const QStringList &spellings)
{
    // A vehicle once brought keeps finding its customer. A key stored already is left as it is,
    // so a returning customer's booking writes none.
    QStringList rows;
    QVariantList binds;
    for (const QString &key : keys) {
        rows << QStringLiteral("(?, ?, ?)");
        binds << key << nameKey << phoneKey;
    }
    if (!rows.isEmpty())
        m_db.execute(QStringLiteral("INSERT INTO \"tbl_CustomerKey\" (\"prefix\", \"nameKey\", \"phoneKey\") "
                                    "VALUES %1 ON CONFLICT DO NOTHING")
                         .arg(rows.join(QLatin1String(", "))),
                     binds);
    rows.clear();
    binds.clear();
    for (const QString &spelling : spellings) {
        rows << QStringLiteral("(?, ?)");
        binds << nameKey << spelling;
    }
    if (!rows.isEmpty())
        m_db.execute(QStringLiteral("INSERT INTO \"tbl_CustomerName\" (\"nameKey\", \"spelling\") VALUES %1 "
                                    "ON CONFLICT DO NOTHING")
                         .arg(rows.join(QLatin1String(", "))),
                     binds);
}

namespace {
// Up to this many keys in the range are read whole and their customers sorted; beyond it the
// customers are walked newest first until enough have a key in the range.
constexpr int FewKeys = 200;
constexpr int NewestBatch = 64;

const QString CustomerColumns =
    QStringLiteral("c.\"cName\", c.\"cPhone\", c.\"cAddress\", c.\"cCity\", c.\"cProv\", c.\"cPostCode\", "
                   "c.\"cVehicle\", c.\"cMake\", c.\"lastVisit\", c.\"nameKey\", c.\"phoneKey\"");
const QString NewestFirst = QStringLiteral(" ORDER BY c.\"lastVisit\" DESC, c.\"nameKey\" DESC, c.\"phoneKey\" DESC");
} // namespace

QVector<CustomerStore::Customer>
CustomerStore::byKey(const QString &key, bool byKeyAlone, int limit,
                     const std::function<bool(const QString &, const QString &, const QString &)> &fits)
{
    QVector<Customer> out;
    QString last, lastName, lastPhone; // where the walk stopped
    const QVariantList range{key, pastKeysOf(key)};
    auto take = [&](const RowView &r) {
        auto text = [&r](int i) { return QString::fromUtf8(r.text(i)); };
        last = text(8);
        lastName = text(9);
        lastPhone = text(10);
        if (out.size() >= limit)
            return;
        // Typing beyond the stored key, or more than one word, is checked whole.
        if (!byKeyAlone && !fits(lastName, lastPhone, foldedName(text(6) + QLatin1Char(' ') + text(7))))
            return;
        out.append({text(0), text(1), text(2), text(3), text(4), text(5), text(6), text(7),
                    QDate::fromString(last, Qt::ISODate)});
    };
    const QString inRange = QStringLiteral("\"prefix\" >= ? AND \"prefix\" < ?");
    const qsizetype keys =
        m_db.select(QStringLiteral("SELECT 1 FROM \"tbl_CustomerKey\" WHERE %1 LIMIT %2").arg(inRange).arg(FewKeys + 1),
                    range)
            .rows.size();
    if (keys <= FewKeys) {
        // Few: the customers of those keys, a customer with two such words once.
        m_db.scan(QStringLiteral("SELECT %1 FROM (SELECT DISTINCT \"nameKey\", \"phoneKey\" FROM \"tbl_CustomerKey\" "
                                 "WHERE %2) k JOIN \"tbl_Customer\" c ON c.\"nameKey\" = k.\"nameKey\" AND "
                                 "c.\"phoneKey\" = k.\"phoneKey\"")
                          .arg(CustomerColumns, inRange)
                      + NewestFirst + (byKeyAlone ? QStringLiteral(" LIMIT %1").arg(limit) : QString()),
                  range, take);
        return out;
    }
    // Many, as the first letters of a common name or a phone's area code find: the newest
    // customers are read a batch at a time, in the order of their index, until enough are found.
    const int batch = byKeyAlone ? limit : NewestBatch;
    bool first = true;
    for (qsizetype read = batch; read == batch && out.size() < limit; first = false) {
        read = 0;
        QVariantList binds = range;
        QString after;
        if (!first) {
            after = QStringLiteral(" AND (c.\"lastVisit\" < ? OR (c.\"lastVisit\" = ? AND (c.\"nameKey\" < ? OR "
                                   "(c.\"nameKey\" = ? AND c.\"phoneKey\" < ?))))");
            binds << last << last << lastName << lastName << lastPhone;
        }
        m_db.scan(QStringLiteral("SELECT %1 FROM \"tbl_Customer\" c WHERE EXISTS (SELECT 1 FROM \"tbl_CustomerKey\" k "
                                 "WHERE k.\"nameKey\" = c.\"nameKey\" AND k.\"phoneKey\" = c.\"phoneKey\" AND k.%2)%3")
                          .arg(CustomerColumns, inRange, after)
                      + NewestFirst + QStringLiteral(" LIMIT %1").arg(batch),
                  binds, [&](const RowView &r) {
                      ++read;
                      take(r);
                  });
    }
    return out;
}

namespace {
// Every wanted word the start of a word of text.
bool startsWords(const QStringList &wanted, const QString &text)
{
    const QStringList words = text.split(QLatin1Char(' '));
    return std::all_of(wanted.begin(), wanted.end(), [&words](const QString &want) {
        return std::any_of(words.begin(), words.end(), [&want](const QString &w) { return w.startsWith(want); });
    });
}
} // namespace

QVector<CustomerStore::Customer> CustomerStore::lookup(const QString &typed, int limit)
{
    const QString key = lookupKey(typed);
    if (key.isEmpty())
        return {};
    const bool byPhone = key.startsWith(PhoneMark);
    const QString wantDigits = phoneDigits(typed);
    const QStringList wantWords = foldedName(typed).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // One word or number no longer than a key matches by its key alone: the engine stops at the limit.
    const bool byKeyAlone =
        byPhone ? wantDigits.size() <= KeyLength : wantWords.size() == 1 && wantWords.first().size() <= KeyLength;
    return byKey(key, byKeyAlone, limit, [&](const QString &nameKey, const QString &phoneKey, const QString &) {
        if (byPhone)
            return phoneKey.startsWith(wantDigits) || phoneKey.right(LocalDigits).startsWith(wantDigits);
        return startsWords(wantWords, nameKey);
    });
}

QVector<CustomerStore::Customer> CustomerStore::find(const QString &typed, int limit)
{
    QVector<Customer> found = lookup(typed, limit);
    const QStringList wantWords = foldedName(typed).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!wantWords.isEmpty() && wantWords.first().size() >= MinLetters) {
        const bool byKeyAlone = wantWords.size() == 1 && wantWords.first().size() <= KeyLength;
        const QVector<Customer> byVehicle = byKey(
            VehicleMark + wantWords.first().left(KeyLength), byKeyAlone, limit,
            [&](const QString &, const QString &, const QString &vehicle) { return startsWords(wantWords, vehicle); });
        auto same = [](const Customer &a, const Customer &b) {
            return foldedName(a.name) == foldedName(b.name) && phoneDigits(a.phone) == phoneDigits(b.phone);
        };
        for (const Customer &c : byVehicle)
            if (std::none_of(found.begin(), found.end(), [&](const Customer &f) { return same(f, c); }))
                found << c;
        // Newest visit first, as each list came.
        std::stable_sort(found.begin(), found.end(),
                         [](const Customer &a, const Customer &b) { return a.lastVisit > b.lastVisit; });
        if (found.size() > limit)
            found.resize(limit);
    }
    return found;
}

QStringList CustomerStore::spellings(const QString &nameKey)
{
    QStringList out;
    for (const QVariantList &r :
         m_db.select(QStringLiteral("SELECT \"spelling\" FROM \"tbl_CustomerName\" WHERE \"nameKey\" = ?"), {nameKey})
             .rows)
        out << r.at(0).toString();
    return out;
}

const QStringList &CustomerStore::tables()
{
    static const QStringList names{QStringLiteral("tbl_Customer"), QStringLiteral("tbl_CustomerKey"),
                                   QStringLiteral("tbl_CustomerName")};
    return names;
}

void CustomerStore::rebuild()
{
    for (const QString &table : tables())
        m_db.execute(QStringLiteral("DELETE FROM \"%1\"").arg(table));
    rememberAllBookings();
}

void CustomerStore::rememberAllBookings()
{
    const ResultRows rows = m_db.select(QStringLiteral(
        "SELECT \"bDate\", \"bName\", \"bPhone\", \"bAddress\", \"bCity\", \"bProv\", \"bPostCode\", \"bVehicle\", "
        "\"bMake\" FROM \"tbl_Job\" ORDER BY \"bDate\""));
    // Each customer written once, with its latest booking's details, instead of once per visit;
    // the vehicles and spellings of every visit kept with it.
    struct Seen {
        QDate date;
        Customer latest;
        QStringList vehicleKeys;
        QStringList spellings;
    };
    QHash<QString, qsizetype> at;
    QVector<Seen> customers;
    for (const QVariantList &r : rows.rows) {
        const QDate date = QDate::fromString(r.at(0).toString(), Qt::ISODate);
        const Customer c{r.at(1).toString(), r.at(2).toString(), r.at(3).toString(),
                         r.at(4).toString(), r.at(5).toString(), r.at(6).toString(),
                         r.at(7).toString(), r.at(8).toString(), {}};
        const QString name = c.name.trimmed();
        if (name.isEmpty() || name == Engaged || !date.isValid() || foldedName(name).isEmpty())
            continue;
        const QString key = foldedName(name) + QChar(0) + phoneDigits(c.phone);
        auto known = at.constFind(key);
        if (known == at.cend()) {
            known = at.insert(key, customers.size());
            customers.append({date, c, {}, {}});
        } else if (customers.at(*known).date <= date) {
            customers[*known].date = date;
            customers[*known].latest = c;
        }
        Seen &seen = customers[*known];
        seen.vehicleKeys << vehicleKeysOf(c.vehicle, c.make);
        seen.spellings << c.name;
    }
    for (Seen &seen : customers) {
        remember(seen.date, seen.latest);
        seen.vehicleKeys.removeDuplicates();
        seen.spellings.removeDuplicates();
        addKeys(foldedName(seen.latest.name.trimmed()), phoneDigits(seen.latest.phone), seen.vehicleKeys,
                seen.spellings);
    }
}
