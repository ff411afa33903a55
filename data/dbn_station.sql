-- A station as shipped: no server folder yet, not installed, not the file server. The network
-- installation fills it in on first start.
INSERT INTO tbl_netset (server, net, Main) VALUES ('', 0, 0);
