#include "store/CustomerStore.h"

#include "store/Database.h"

#include <QHash>
#include <QSet>
#include <QVector>
#include <utility>

namespace {
const QString Engaged = QStringLiteral("Engaged");
const QString PhoneMark = QStringLiteral("#");
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
    // Each table in one statement that adds or updates, so stations saving the same customer at
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
    const QStringList keys = keysOf(nameKey, phoneKey);
    QStringList rows;
    QVariantList binds;
    for (const QString &key : keys) {
        rows << QStringLiteral("(?, ?, ?, ?)");
        binds << key << nameKey << phoneKey << date;
    }
    if (!rows.isEmpty())
        m_db.execute(QStringLiteral("INSERT INTO \"tbl_CustomerKey\" AS k (\"prefix\", \"nameKey\", \"phoneKey\", "
                                    "\"lastVisit\") VALUES %1 ON CONFLICT (\"prefix\", \"nameKey\", \"phoneKey\") "
                                    "DO UPDATE SET \"lastVisit\" = excluded.\"lastVisit\" "
                                    "WHERE COALESCE(k.\"lastVisit\", '') <= excluded.\"lastVisit\"")
                         .arg(rows.join(QLatin1String(", "))),
                     binds);
}

QVector<CustomerStore::Customer> CustomerStore::lookup(const QString &typed)
{
    QVector<Customer> out;
    const QString key = lookupKey(typed);
    if (key.isEmpty())
        return out;
    const bool byPhone = key.startsWith(PhoneMark);
    const QString wantDigits = phoneDigits(typed);
    const QStringList wantWords = foldedName(typed).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // One word or number no longer than a key matches by its key alone: the engine stops at ten.
    const bool byKeyAlone =
        byPhone ? wantDigits.size() <= KeyLength : wantWords.size() == 1 && wantWords.first().size() <= KeyLength;
    m_db.scan(QStringLiteral("SELECT c.\"cName\", c.\"cPhone\", c.\"cAddress\", c.\"cCity\", c.\"cProv\", "
                             "c.\"cPostCode\", c.\"cVehicle\", c.\"cMake\", c.\"lastVisit\", c.\"nameKey\", "
                             "c.\"phoneKey\" FROM \"tbl_CustomerKey\" k JOIN \"tbl_Customer\" c ON c.\"nameKey\" = "
                             "k.\"nameKey\" AND c.\"phoneKey\" = k.\"phoneKey\" WHERE k.\"prefix\" = ? "
                             "ORDER BY k.\"lastVisit\" DESC, k.\"nameKey\" DESC, k.\"phoneKey\" DESC")
                  + (byKeyAlone ? QStringLiteral(" LIMIT %1").arg(MaxListed) : QString()),
              {key}, [&](const RowView &r) {
                  if (out.size() >= MaxListed)
                      return;
                  auto text = [&r](int i) { return QString::fromUtf8(r.text(i)); };
                  // Typing beyond the stored prefix, or more than one word, is checked whole.
                  if (byPhone) {
                      const QString digits = text(10);
                      if (!digits.startsWith(wantDigits) && !digits.right(LocalDigits).startsWith(wantDigits))
                          return;
                  } else {
                      const QStringList words = text(9).split(QLatin1Char(' '));
                      for (const QString &want : wantWords)
                          if (std::none_of(words.begin(), words.end(),
                                           [&want](const QString &w) { return w.startsWith(want); }))
                              return;
                  }
                  out.append({text(0), text(1), text(2), text(3), text(4), text(5), text(6), text(7),
                              QDate::fromString(text(8), Qt::ISODate)});
              });
    return out;
}

const QStringList &CustomerStore::tables()
{
    static const QStringList names{QStringLiteral("tbl_Customer"), QStringLiteral("tbl_CustomerKey")};
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
    // Each customer's latest booking only, taken in the same order as one remember after another
    // would: written once, instead of once per visit.
    QHash<QString, qsizetype> at;
    QVector<std::pair<QDate, Customer>> latest;
    for (const QVariantList &r : rows.rows) {
        const QDate date = QDate::fromString(r.at(0).toString(), Qt::ISODate);
        const Customer c{r.at(1).toString(), r.at(2).toString(), r.at(3).toString(),
                         r.at(4).toString(), r.at(5).toString(), r.at(6).toString(),
                         r.at(7).toString(), r.at(8).toString(), {}};
        const QString name = c.name.trimmed();
        if (name.isEmpty() || name == Engaged || !date.isValid() || foldedName(name).isEmpty())
            continue;
        const QString key = foldedName(name) + QChar(0) + phoneDigits(c.phone);
        const auto known = at.constFind(key);
        if (known == at.cend()) {
            at.insert(key, latest.size());
            latest.append({date, c});
        } else if (latest.at(*known).first <= date) {
            latest[*known] = {date, c};
        }
    }
    for (const auto &[date, c] : latest)
        remember(date, c);
}
