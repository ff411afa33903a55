-- The help text of the day page, from help.txt.
INSERT INTO tbl_Help (Help) VALUES (:Help);
