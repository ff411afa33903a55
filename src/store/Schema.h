#pragma once
#include <QVector>
#include <functional>

class Database;

// The tables of the two database files.
namespace Schema {
// The shape of the shared database this program makes and expects: the number of its last step.
constexpr int SharedVersion = 6;
// The shape from which the customers' look-up keys are whole words (step 6 below).
constexpr int WholeWordKeysVersion = 6;

void createShared(Database &db);  // db.mdb, or the tables on a server
void createStation(Database &db); // dbn.mdb

// One numbered change of the shared schema: apply brings a database of the step before to this
// one, on either engine, inside the caller's write transaction, keeping every record and field.
struct Step {
    int version = 0;
    std::function<void(Database &)> apply;
};
// This program's steps, in order, the last numbered SharedVersion:
//   1. pages and booking records get ids that are never used again (a file only: a server's are
//      so from the start); the tables of running stations and of claim owners are added.
//   2. the tables of the customers of earlier bookings and of their look-up keys.
//   3. the spellings of customers' names and an index of the bookings' names.
//   4. on a server, the change counter of live refresh gets a row per page written (a file has none).
//   5. on a server, a transaction counts a change once per row of the counter, however many
//      statements it runs.
//   6. the customers' look-up keys are whole words rather than every prefix of them (a server
//      orders them byte by byte, so a look-up reads a range): the customers, with the keys of
//      their names, phones and vehicles, filled again from the bookings.
const QVector<Step> &sharedSteps();

// Applies every step above the database's version, then records the last one's number, all in
// one write transaction: a failing step leaves the database as it was. True when it changed
// anything. Another station holding the write lock makes it fail with 3186.
bool upgrade(Database &db, const QVector<Step> &steps);
inline bool upgradeShared(Database &db) { return upgrade(db, sharedSteps()); }
} // namespace Schema
