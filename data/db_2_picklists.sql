-- The picklists of the booking record, from picklists.txt.
INSERT INTO tbl_Setup2 (
  dMainten, dTMainten, dPMainten,
  dMenu, dTMenu, dPMenu,
  dInternal, dTInternal, dPInternal,
  dVehicle, dMake, dCity, dProv, dCOthers, dPOthers)
VALUES (
  :dMainten, :dTMainten, :dPMainten,
  :dMenu, :dTMenu, :dPMenu,
  :dInternal, :dTInternal, :dPInternal,
  :dVehicle, :dMake, :dCity, :dProv, :dCOthers, :dPOthers);
