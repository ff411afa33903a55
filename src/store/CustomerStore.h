#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class Database;

// The customers seen in earlier bookings, told apart by name and phone, kept for the booking
// form's look-up and the customer history. Each booking save remembers its customer inside the
// booking's own transaction; a look-up reads the stored name words, phone numbers and vehicle words
// that start with what was typed, from an index, so a keystroke never scans the bookings. The names as each
// booking spelled them are kept too, so a customer's bookings are found through an index.
class CustomerStore {
public:
    struct Customer {
        QString name, phone, address, city, prov, postCode, vehicle, make;
        QDate lastVisit;
    };
    static constexpr int MaxListed = 10;
    // The most customers a history search lists.
    static constexpr int MaxFound = 50;
    static constexpr int MinLetters = 2;
    static constexpr int MinDigits = 3;
    // Name words and phone numbers are indexed up to this many characters; longer typing is
    // matched on that prefix, then checked whole.
    static constexpr int KeyLength = 10;

    explicit CustomerStore(Database &db) : m_db(db) {}

    // Lower case, accents taken off, words of letters and digits separated by one blank.
    static QString foldedName(const QString &name);
    static QString phoneDigits(const QString &phone);
    // The look-up keys of a customer: each name word (of MinLetters and more), the phone's digits
    // and its last seven (of MinDigits and more, marked with '#'), each cut at KeyLength.
    static QStringList keysOf(const QString &nameKey, const QString &phoneKey);
    // The look-up keys of a vehicle: each word of its year and make (of MinLetters and more,
    // marked with '@'), cut at KeyLength.
    static QStringList vehicleKeysOf(const QString &vehicle, const QString &make);
    // What a typed text looks up: the key, or nothing when it is too short to offer anything.
    static QString lookupKey(const QString &typed);

    // The customer of a booking saved for date: added, or, when this booking is the newest of
    // that name and phone, its details taken as the customer's. Runs inside the caller's write
    // transaction. A booking without a name, or with the claim mark, names no customer.
    void remember(const QDate &date, const Customer &booked);
    // Up to MaxListed customers matching the typed text, newest visit first: two or more letters
    // of a name (every typed word the start of a word of the name), or three or more digits of a
    // phone number (blanks and punctuation ignored).
    QVector<Customer> lookup(const QString &typed, int limit = MaxListed);
    // Up to limit customers found by the typed text as lookup finds them, or by the start of a
    // word of a vehicle they brought (every typed word the start of a word of its year and make),
    // newest visit first.
    QVector<Customer> find(const QString &typed, int limit = MaxFound);
    // The names, as the bookings spelled them, that fold to nameKey.
    QStringList spellings(const QString &nameKey);
    // Every booking of tbl_Job remembered, oldest first (a database made before the look-up).
    void rememberAllBookings();
    // Made again from the bookings, inside the caller's write transaction (a restored backup
    // older than the look-up).
    void rebuild();
    // The tables kept here: what the bookings say, so a copy may leave them out and rebuild.
    static const QStringList &tables();

private:
    // The look-up keys and name spellings of a stored customer, each at its last visit.
    void addKeys(const QString &nameKey, const QString &phoneKey, const QStringList &keys,
                 const QStringList &spellings);
    // The customers with a stored key starting with key, newest visit first, those that fits passes.
    QVector<Customer> byKey(
        const QString &key, bool byKeyAlone, int limit,
        const std::function<bool(const QString &nameKey, const QString &phoneKey, const QString &vehicleWords)> &fits);
    Database &m_db;
};
