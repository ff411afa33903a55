-- The office settings: one service office open 8 to 5 in half-hour slots with four technicians.
-- Page templates come from templates.txt, long texts from readme.txt.
INSERT INTO tbl_Setup (
  location, open, Close,
  Mon, Tue, Wed, Thu, Fri, Sat, Sun,
  chk1, chk2, chk3, chk4, chk5, chk6, chk7,
  lunchstart, lunchclose, timeslot, RHeight, Listno,
  Sites, Names, cwidth, Skills,
  FixedMemo, Bookno, Lblcolors, Spare,
  Printmode, FillPage, dMode, dFillPage, PWidth, DWidth,
  Readme, Licence)
VALUES (
  'Office', '08:00 AM', '05:00 PM',
  :weekday, :weekday, :weekday, :weekday, :weekday, :saturday, :sunday,
  -- closed on Sundays only (chk1 is Sunday, chk7 Saturday)
  1, 0, 0, 0, 0, 0, 0,
  '12:00 PM', '01:00 PM', 30, 1, 4,
  'Bay 1%Bay 2%Bay 3%Bay 4%',
  'Mike Dunn%Sue Park%Tony Russo%Raj Patel%',
  '1100%1900%1900%1900%1900%',
  -- General Repair, Oil & Filters & Maintenance, Wheel Alignment, Front End Suspension,
  -- Electrical, Air Conditioning, Engine, Transmission, Brakes, Body, Coolant System
  '1 1 1 1 0 0 1 1 1 0 1%1 1 0 0 1 1 0 0 1 0 1%1 1 1 1 0 0 0 0 1 1 0%1 1 0 0 1 1 1 1 0 0 1',
  :FixedMemo, '1001',
  'Customer Waiting%Comeback%Parts Ordered%Vehicle Ready%Drop Off%Warranty%Fleet Account%Quote Only',
  'A:',
  -- daily schedule portrait, daily details portrait, neither stretched to the page width
  1, 0, 1, 0,
  -- daily schedule: time column, four technicians; daily details: one column per record field
  '1100%2200%2200%2200%2200%',
  '1000%1400%1900%1400%700%1100%2000%1800%800%1500%',
  :Readme, :Licence);
