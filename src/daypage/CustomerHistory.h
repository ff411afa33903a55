#pragma once
#include "store/CustomerStore.h"

#include <QDate>
#include <QString>
#include <QVector>

class Database;

// The customers a search finds and every booking of one of them, as the Customer History window
// lists them. A customer is the name and phone pair the look-up tells apart: a booking is theirs
// when its name and phone fold to the same keys, however it was spelled. Reads go through the
// look-up's keys and the bookings' name index, never every booking. Throws AppError.
class CustomerHistory {
public:
    struct Visit {
        QDate date;
        int row = 0, col = 0; // the booking's cell on its day page
        QString time, tech, jobs, hours, comments;
    };

    explicit CustomerHistory(Database &db) : m_db(db) {}

    // Customers by two or more letters of a name, three or more digits of a phone, or two or
    // more letters of a vehicle's year or make; newest visit first.
    QVector<CustomerStore::Customer> search(const QString &typed);
    // Every booking of the customer, newest first.
    QVector<Visit> visits(const CustomerStore::Customer &customer);

private:
    Database &m_db;
};
