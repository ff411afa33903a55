#pragma once
#include "store/BookingStore.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The 33 texts of a booking form, in the order of its paste buffer: customer, vehicle, jobs,
// total, drop-off, promised, payment, comments, then the ten job times.
namespace BookingEntry {
enum Id {
    Name,
    Address,
    City,
    Prov,
    PostCode,
    Phone,
    Vehicle,
    Make,
    Mainten,
    Menu1,
    Menu2,
    Menu3,
    Menu4,
    Menu5,
    Internal1,
    Internal2,
    Other1,
    Other2,
    TTime,
    Drop,
    Prom,
    Pay,
    Comments,
    Time0,
    Time1,
    Time2,
    Time3,
    Time4,
    Time5,
    Time6,
    Time7,
    Time8,
    Time9,
    Count
};
constexpr int JobTimes = 10;
constexpr Id time(int i) { return Id(Time0 + i); }

// The stored field of an entry; none for the job times, which share ITime.
std::optional<BookingField::Id> storedField(Id id);
// The column of that field; empty for the job times.
QString fieldName(Id id);
// The form control that shows an entry (txtName, cboDTime, tTime3, ...).
QString controlName(Id id);
} // namespace BookingEntry

// Texts of a form, one per entry.
using BookingEntries = std::array<QString, BookingEntry::Count>;
// A record as read for the form: an entry without a value leaves its control as it is.
using BookingValues = std::array<std::optional<QString>, BookingEntry::Count>;

BookingEntries emptyBookingEntries();
QStringList toList(const BookingEntries &e);
BookingEntries fromList(const QStringList &l); // missing items empty
