-- Two demonstration days, Monday 9 and Tuesday 10 March 1998, shown and booked the way the
-- program leaves them: the page layout copied from the settings, the page texts and colour
-- lists from demo.txt, one tbl_Job record per booked cell.
INSERT INTO tbl_Appt (caldate, location, open, Close, timeslot, lunchstart, lunchclose, Listno,
                      Sites, Names, Skills, Spare, Data, BlankPage, Color, Memo, Clinic)
SELECT '1998-03-09', location, open, Close, timeslot, lunchstart, lunchclose, Listno,
       Sites, Names, Skills, Spare, :mon_data, :weekday_shown, :mon_colors,
       'Timing belt kit for Mr. Novak arrives from the parts depot about 11 AM.', 0
FROM tbl_Setup;

INSERT INTO tbl_Appt (caldate, location, open, Close, timeslot, lunchstart, lunchclose, Listno,
                      Sites, Names, Skills, Spare, Data, BlankPage, Color, Memo, Clinic)
SELECT '1998-03-10', location, open, Close, timeslot, lunchstart, lunchclose, Listno,
       Sites, Names, Skills, Spare, :tue_data, :weekday_shown, :tue_colors,
       'Dan Foster needs a loaner van - call the rental desk before 9:30.', 0
FROM tbl_Setup;

-- Job times in bITime: maintenance, menu 1 to 5, internal 1 and 2, other 1 and 2.
INSERT INTO tbl_Job (bDate, bCol, bRow, bTech, bTime, bName, bPhone, bAddress, bCity, bProv,
                     bPostCode, bVehicle, bMake, bMainten, bMenu1, bMenu2, bMenu3, bMenu4, bMenu5,
                     bInternal1, bInternal2, bOther1, bOther2, bITime, bTTime, bDrop, bProm, bPay,
                     bComments)
VALUES
('1998-03-09', 1, 6, 'Mike Dunn', '08:00 AM ', 'John Miller', '(905) 555-0142',
 '118 Locke St. S', 'Hamilton', 'ON', 'L8P 4B1', '1994', 'Ford',
 'Oil & Filter Change', 'Pre-trip Inspection', '', '', '', '', '', '', '', '',
 '0.5%0.5%%%%%%%%%', '1', '08:00', '09:00', 'Credit Card',
 'Waiting in the lounge. Check the left rear tire, it loses air.'),

('1998-03-09', 1, 9, 'Mike Dunn', '09:30 AM ', 'Linda Chow', '(905) 555-0187',
 '42 Queen St. N', 'Hamilton', 'ON', 'L8R 2V6', '1991', 'Honda',
 'Front Brake Pads', 'Winter Check Package', '', '', '', '', '', '', '', '',
 '1.5%1.0%%%%%%%%%', '2.5', '09:30', '02:00', 'Cash',
 'Drops the car off on her way to work. Grinding noise from the front when braking.'),

('1998-03-09', 2, 8, 'Sue Park', '09:00 AM ', 'Robert Hughes', '(905) 555-0110',
 '7 Mountain Brow Blvd', 'Stoney Creek', 'ON', 'L8G 1M3', '1996', 'Chevrolet',
 'Coolant Flush', 'Wiper Blades', 'Air Filter', '', '', '', '', '', '', '',
 '1.0%0.25%0.25%%%%%%%%', '1.5', '09:00', '11:00', 'Check', ''),

('1998-03-09', 3, 12, 'Tony Russo', '11:00 AM ', 'Karen Lee', '(905) 555-0163',
 '260 Wilson St. E', 'Ancaster', 'ON', 'L9G 2B9', '1997', 'Toyota',
 'Wheel Alignment', '', '', '', '', '', '', '', 'Steering pull to the right', '',
 '1.0%%%%%%%%1%%', '2', '11:00', '03:00', 'Warranty',
 'New car warranty: pull started after 12,000 km. Keep the alignment printout.'),

('1998-03-09', 4, 16, 'Raj Patel', '01:00 PM ', 'Peter Novak', '(905) 555-0199',
 '15 Ogilvie St', 'Dundas', 'ON', 'L9H 2S2', '1992', 'Nissan',
 'Timing Belt', '', '', '', '', '', '', '', '', '',
 '3.5%%%%%%%%%%', '3.5', '08:00', '05:00', 'Credit Card',
 'Belt kit ordered Friday. Replace the water pump too if it weeps; call before doing it.'),

('1998-03-10', 1, 7, 'Mike Dunn', '08:30 AM ', 'Susan Grant', '(905) 555-0125',
 '88 Main St. W', 'Hamilton', 'ON', 'L8P 1H6', '1989', 'Plymouth',
 '', 'Tune-up 4 Cylinder', '', '', '', '', '', '', '', '',
 '%1.5%%%%%%%%%', '1.5', '08:30', '10:30', 'Credit Card', 'Rough idle when cold.'),

('1998-03-10', 2, 10, 'Sue Park', '10:00 AM ', 'Dan Foster', '(905) 555-0176',
 '1200 Brant St', 'Burlington', 'ON', 'L7P 1X8', '1995', 'GMC',
 'Oil & Filter Change', 'Pre-trip Inspection', 'Seasonal Tire Change', 'Wiper Blades', '', '',
 '', '', '', '',
 '0.5%0.5%0.75%0.25%%%%%%%', '2', '10:00', '12:30', 'Charge',
 'Fleet van 14 of ABC Couriers; charge to their account.'),

('1998-03-10', 4, 18, 'Raj Patel', '02:00 PM ', 'Helen Brooks', '(905) 555-0154',
 '31 Hatt St', 'Dundas', 'ON', 'L9H 2E9', '1993', 'Mazda',
 '', '', '', '', '', '', 'Road Test', '', 'Recheck exhaust rattle', '',
 '%%%%%%0.5%%0.75%%', '1.25', '02:00', '03:00', 'Cash',
 'Came back: rattle under the car since the exhaust repair last week. No charge.');
