#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

class Database;

// The customers seen in earlier bookings, told apart by name and phone, kept for the booking
// form's look-up. Each booking save remembers its customer inside the booking's own transaction;
// a look-up is an exact match on a stored prefix of a name word or of the phone's digits, so a
// keystroke never scans the bookings.
class CustomerStore {
public:
    struct Customer {
        QString name, phone, address, city, prov, postCode, vehicle, make;
        QDate lastVisit;
    };
    static constexpr int MaxListed = 10;
    static constexpr int MinLetters = 2;
    static constexpr int MinDigits = 3;
    // Name words and phone numbers are indexed up to this many characters; longer typing is
    // matched on that prefix, then checked whole.
    static constexpr int KeyLength = 10;

    explicit CustomerStore(Database &db) : m_db(db) {}

    // Lower case, accents taken off, words of letters and digits separated by one blank.
    static QString foldedName(const QString &name);
    static QString phoneDigits(const QString &phone);
    // The look-up keys of a customer: prefixes of each name word (MinLetters and up) and of the
    // phone's digits and of its last seven (MinDigits and up, marked with '#').
    static QStringList keysOf(const QString &nameKey, const QString &phoneKey);
    // What a typed text looks up: the key, or nothing when it is too short to offer anything.
    static QString lookupKey(const QString &typed);

    // The customer of a booking saved for date: added, or, when this booking is the newest of
    // that name and phone, its details taken as the customer's. Runs inside the caller's write
    // transaction. A booking without a name, or with the claim mark, names no customer.
    void remember(const QDate &date, const Customer &booked);
    // Up to MaxListed customers matching the typed text, newest visit first: two or more letters
    // of a name (every typed word the start of a word of the name), or three or more digits of a
    // phone number (blanks and punctuation ignored).
    QVector<Customer> lookup(const QString &typed);
    // Every booking of tbl_Job remembered, oldest first (a database made before the look-up).
    void rememberAllBookings();
    // Made again from the bookings, inside the caller's write transaction (a restored backup
    // older than the look-up).
    void rebuild();
    // The tables kept here: what the bookings say, so a copy may leave them out and rebuild.
    static const QStringList &tables();

private:
    Database &m_db;
};
