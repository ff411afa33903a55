-- Shared database (db.mdb). Field names as the program uses them. Two bookkeeping columns are
-- not fields of the records: rowver, the row version for optimistic locking, and rid, which
-- makes the record id explicit so compaction never renumbers records other stations hold.
-- Pages and booking records never get an id back once it was used (AUTOINCREMENT): a station
-- still holding a deleted record's id must never write into a newer record.
-- An older file is brought to this shape by Schema::upgradeShared, which takes the tables
-- tbl_Station and tbl_Claim from here; user_version says which shape a file has.
CREATE TABLE tbl_Setup (
  location TEXT, open TEXT, Close TEXT,
  Mon TEXT, Tue TEXT, Wed TEXT, Thu TEXT, Fri TEXT, Sat TEXT, Sun TEXT,
  lunchstart TEXT, lunchclose TEXT, timeslot INTEGER, RHeight INTEGER, Listno INTEGER,
  Sites TEXT, Names TEXT, cwidth TEXT, Skills TEXT,
  chk1 INTEGER DEFAULT 0, chk2 INTEGER DEFAULT 0, chk3 INTEGER DEFAULT 0, chk4 INTEGER DEFAULT 0,
  chk5 INTEGER DEFAULT 0, chk6 INTEGER DEFAULT 0, chk7 INTEGER DEFAULT 0,
  FixedMemo TEXT, Bookno TEXT, Lblcolors TEXT, Spare TEXT,
  Printmode INTEGER, FillPage INTEGER DEFAULT 0, dMode INTEGER, dFillPage INTEGER DEFAULT 0,
  PWidth TEXT, DWidth TEXT, Readme TEXT, Licence TEXT,
  rowver INTEGER NOT NULL DEFAULT 0,
  rid INTEGER PRIMARY KEY
);
CREATE TABLE tbl_Setup2 (
  dMainten TEXT, dTMainten TEXT, dPMainten TEXT,
  dMenu TEXT, dTMenu TEXT, dPMenu TEXT,
  dInternal TEXT, dTInternal TEXT, dPInternal TEXT,
  dVehicle TEXT, dMake TEXT, dCity TEXT, dProv TEXT, dCOthers TEXT, dPOthers TEXT,
  rowver INTEGER NOT NULL DEFAULT 0,
  rid INTEGER PRIMARY KEY
);
CREATE TABLE tbl_Appt (
  caldate TEXT NOT NULL,
  location TEXT, open TEXT, Close TEXT, timeslot INTEGER, lunchstart TEXT, lunchclose TEXT,
  Listno INTEGER, Sites TEXT, Names TEXT, Skills TEXT, Spare TEXT,
  Data TEXT, BlankPage TEXT, Color TEXT, Memo TEXT, Clinic INTEGER DEFAULT 0,
  rowver INTEGER NOT NULL DEFAULT 0,
  rid INTEGER PRIMARY KEY AUTOINCREMENT
);
CREATE UNIQUE INDEX CalDate ON tbl_Appt (caldate);
CREATE TABLE tbl_Job (
  bDate TEXT NOT NULL, bCol INTEGER NOT NULL, bRow INTEGER NOT NULL,
  bTech TEXT, bTime TEXT, bName TEXT,
  bPhone TEXT, bAddress TEXT, bCity TEXT, bProv TEXT, bPostCode TEXT,
  bVehicle TEXT, bMake TEXT, bMainten TEXT,
  bMenu1 TEXT, bMenu2 TEXT, bMenu3 TEXT, bMenu4 TEXT, bMenu5 TEXT,
  bInternal1 TEXT, bInternal2 TEXT, bOther1 TEXT, bOther2 TEXT,
  bITime TEXT, bTTime TEXT, bDrop TEXT, bProm TEXT, bPay TEXT, bComments TEXT,
  rowver INTEGER NOT NULL DEFAULT 0,
  rid INTEGER PRIMARY KEY AUTOINCREMENT
);
CREATE UNIQUE INDEX bRecord ON tbl_Job (bDate, bCol, bRow);
CREATE INDEX JobName ON tbl_Job (bName);
CREATE TABLE tbl_Help (
  Help TEXT,
  rowver INTEGER NOT NULL DEFAULT 0,
  rid INTEGER PRIMARY KEY
);
-- Every running station: a new id at each start, a beat every few seconds, removed on a clean
-- exit. Times are milliseconds since 1970 (UTC) by the station's clock; host, machine and pid
-- say where the station runs.
CREATE TABLE tbl_Station (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  started INTEGER NOT NULL, beat INTEGER NOT NULL,
  host TEXT, machine TEXT, pid INTEGER
);
-- Who claimed a slot ("Engaged" in its cell) and when, so a stopped station's claim can be taken
-- over. slotrow and slotcol are the grid's row and column, as bRow and bCol of tbl_Job.
CREATE TABLE tbl_Claim (
  caldate TEXT NOT NULL, slotrow INTEGER NOT NULL, slotcol INTEGER NOT NULL,
  station INTEGER NOT NULL, claimed INTEGER NOT NULL,
  PRIMARY KEY (caldate, slotrow, slotcol)
);
-- Customers of earlier bookings, told apart by name and phone (folded: lower case, no accents,
-- digits only), with the details of their newest booking; and their name words, phone numbers and
-- vehicle words that find them (a phone's key starts with '#', a vehicle word's with '@'): a
-- look-up reads the keys starting with what was typed, or, when they are many, walks the customers
-- newest first. lastVisit of a key is no longer kept.
CREATE TABLE tbl_Customer (
  nameKey TEXT NOT NULL, phoneKey TEXT NOT NULL,
  cName TEXT, cPhone TEXT, cAddress TEXT, cCity TEXT, cProv TEXT, cPostCode TEXT,
  cVehicle TEXT, cMake TEXT, lastVisit TEXT,
  rid INTEGER PRIMARY KEY AUTOINCREMENT
);
CREATE UNIQUE INDEX CustomerName ON tbl_Customer (nameKey, phoneKey);
CREATE INDEX CustomerLast ON tbl_Customer (lastVisit, nameKey, phoneKey);
CREATE TABLE tbl_CustomerKey (
  prefix TEXT NOT NULL, nameKey TEXT NOT NULL, phoneKey TEXT NOT NULL, lastVisit TEXT,
  rid INTEGER PRIMARY KEY AUTOINCREMENT
);
CREATE UNIQUE INDEX CustomerPrefix ON tbl_CustomerKey (prefix, nameKey, phoneKey);
CREATE INDEX CustomerKeyOwner ON tbl_CustomerKey (nameKey, phoneKey, prefix);
-- Each name as the bookings spelled it, by its folded form: a customer's bookings are read through
-- the index JobName.
CREATE TABLE tbl_CustomerName (
  nameKey TEXT NOT NULL, spelling TEXT NOT NULL,
  rid INTEGER PRIMARY KEY AUTOINCREMENT
);
CREATE UNIQUE INDEX CustomerSpelling ON tbl_CustomerName (nameKey, spelling);
PRAGMA user_version = 6;
