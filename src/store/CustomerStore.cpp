#include "store/CustomerStore.h"

#include "store/Database.h"

#include <QSet>
#include <algorithm>

namespace {
const QString Engaged = QStringLiteral("Engaged");
const QString PhoneMark = QStringLiteral("#");
const QString VehicleMark = QStringLiteral("@");
constexpr int LocalDigits = 7;

void addPrefixes(QStringList &keys, const QString &text, int from, const QString &mark = QString())
{
    for (int n = from; n <= qMin(int(text.size()), CustomerStore::KeyLength); ++n)
        keys << mark + text.left(n);
}
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
        addPrefixes(keys, word, MinLetters);
    addPrefixes(keys, phoneKey, MinDigits, PhoneMark);
    if (phoneKey.size() > LocalDigits)
        addPrefixes(keys, phoneKey.right(LocalDigits), MinDigits, PhoneMark);
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
        addPrefixes(keys, word, MinLetters, VehicleMark);
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
    const QVariant last = m_db.scalar(
        QStringLiteral("SELECT \"lastVisit\" FROM \"tbl_Customer\" WHERE \"nameKey\" = ? AND \"phoneKey\" = ?"),
        {nameKey, phoneKey});
    QStringList keys = vehicleKeysOf(booked.vehicle, booked.make);
    QVariant lastVisit = date;
    if (!last.isValid()) {
        m_db.execute(QStringLiteral("INSERT INTO \"tbl_Customer\" (\"cName\", \"cPhone\", \"cAddress\", \"cCity\", "
                                    "\"cProv\", \"cPostCode\", \"cVehicle\", \"cMake\", \"lastVisit\", \"nameKey\", "
                                    "\"phoneKey\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     details + QVariantList{nameKey, phoneKey});
        keys = keysOf(nameKey, phoneKey) + keys;
    } else if (last.toString() > date.toString(Qt::ISODate)) {
        // ISO dates compare as text; an older booking saved again leaves the newer details.
        lastVisit = last;
    } else {
        m_db.execute(QStringLiteral("UPDATE \"tbl_Customer\" SET \"cName\" = ?, \"cPhone\" = ?, \"cAddress\" = ?, "
                                    "\"cCity\" = ?, \"cProv\" = ?, \"cPostCode\" = ?, \"cVehicle\" = ?, "
                                    "\"cMake\" = ?, \"lastVisit\" = ? WHERE \"nameKey\" = ? AND \"phoneKey\" = ?"),
                     details + QVariantList{nameKey, phoneKey});
        m_db.execute(QStringLiteral("UPDATE \"tbl_CustomerKey\" SET \"lastVisit\" = ? WHERE \"nameKey\" = ? AND "
                                    "\"phoneKey\" = ?"),
                     {date, nameKey, phoneKey});
    }
    // A vehicle once brought keeps finding its customer.
    QStringList rows;
    QVariantList binds;
    for (const QString &key : keys) {
        rows << QStringLiteral("(?, ?, ?, ?)");
        binds << key << nameKey << phoneKey << lastVisit;
    }
    if (!rows.isEmpty())
        m_db.execute(QStringLiteral("INSERT INTO \"tbl_CustomerKey\" (\"prefix\", \"nameKey\", \"phoneKey\", "
                                    "\"lastVisit\") VALUES %1 ON CONFLICT DO NOTHING")
                         .arg(rows.join(QLatin1String(", "))),
                     binds);
    m_db.execute(QStringLiteral("INSERT INTO \"tbl_CustomerName\" (\"nameKey\", \"spelling\") VALUES (?, ?) "
                                "ON CONFLICT DO NOTHING"),
                 {nameKey, booked.name});
}

QVector<CustomerStore::Customer>
CustomerStore::byKey(const QString &key, bool byKeyAlone, int limit,
                     const std::function<bool(const QString &, const QString &, const QString &)> &fits)
{
    QVector<Customer> out;
    m_db.scan(QStringLiteral("SELECT c.\"cName\", c.\"cPhone\", c.\"cAddress\", c.\"cCity\", c.\"cProv\", "
                             "c.\"cPostCode\", c.\"cVehicle\", c.\"cMake\", c.\"lastVisit\", c.\"nameKey\", "
                             "c.\"phoneKey\" FROM \"tbl_CustomerKey\" k JOIN \"tbl_Customer\" c ON c.\"nameKey\" = "
                             "k.\"nameKey\" AND c.\"phoneKey\" = k.\"phoneKey\" WHERE k.\"prefix\" = ? "
                             "ORDER BY k.\"lastVisit\" DESC, k.\"nameKey\" DESC, k.\"phoneKey\" DESC")
                  + (byKeyAlone ? QStringLiteral(" LIMIT %1").arg(limit) : QString()),
              {key}, [&](const RowView &r) {
                  if (out.size() >= limit)
                      return;
                  auto text = [&r](int i) { return QString::fromUtf8(r.text(i)); };
                  // Typing beyond the stored prefix, or more than one word, is checked whole.
                  if (!byKeyAlone && !fits(text(9), text(10), foldedName(text(6) + QLatin1Char(' ') + text(7))))
                      return;
                  out.append({text(0), text(1), text(2), text(3), text(4), text(5), text(6), text(7),
                              QDate::fromString(text(8), Qt::ISODate)});
              });
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
    for (const QVariantList &r : rows.rows)
        remember(QDate::fromString(r.at(0).toString(), Qt::ISODate), {r.at(1).toString(),
                                                                      r.at(2).toString(),
                                                                      r.at(3).toString(),
                                                                      r.at(4).toString(),
                                                                      r.at(5).toString(),
                                                                      r.at(6).toString(),
                                                                      r.at(7).toString(),
                                                                      r.at(8).toString(),
                                                                      {}});
}
