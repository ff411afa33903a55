#pragma once
class Database;

// The tables of the two database files.
namespace Schema {
void createShared(Database &db);   // db.mdb
void createStation(Database &db);  // dbn.mdb
} // namespace Schema
