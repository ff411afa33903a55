#pragma once
#include "store/Database.h"

#include <QDate>

// The bookings of a range of dates as tbl_Job holds them, for the exports: every field but the
// row's bookkeeping (rid, rowver), in the table's order, one row per record with a customer name,
// by date, technician column and row. Engine failures are AppError exceptions.
namespace BookingExport {
// column: one technician's column, 0 for every technician.
ResultRows read(Database &db, const QDate &from, const QDate &to, int column = 0);
} // namespace BookingExport
