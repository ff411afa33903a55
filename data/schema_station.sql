-- Station database (dbn.mdb): where the shared folder is and this station's role.
CREATE TABLE tbl_netset (
  server TEXT, net INTEGER DEFAULT 0, Main INTEGER DEFAULT 0,
  rowver INTEGER NOT NULL DEFAULT 0,
  rid INTEGER PRIMARY KEY
);
