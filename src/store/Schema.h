#pragma once
class Database;

// The tables of the two database files.
namespace Schema {
// The shape of db.mdb this program makes and expects (PRAGMA user_version).
constexpr int SharedVersion = 1;

void createShared(Database &db);  // db.mdb
void createStation(Database &db); // dbn.mdb

// Brings an older db.mdb to the current shape in one write transaction, keeping every record and
// field as it is: pages and booking records get ids that are never used again, and the tables
// of running stations and of claim owners are added. True when the file was changed. Another
// station holding the write lock makes it fail with 3186 and leaves the file untouched.
bool upgradeShared(Database &db);
} // namespace Schema
