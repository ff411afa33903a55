-- The shared database as files were made before stations kept heartbeats and claim owners and
-- before ids were never reused: the upgrade tests make such a file from this.
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
  rid INTEGER PRIMARY KEY
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
  rid INTEGER PRIMARY KEY
);
CREATE UNIQUE INDEX bRecord ON tbl_Job (bDate, bCol, bRow);
CREATE TABLE tbl_Help (
  Help TEXT,
  rowver INTEGER NOT NULL DEFAULT 0,
  rid INTEGER PRIMARY KEY
);
