#pragma once
#include "booking/BookingEntries.h"
#include "core/Colors.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// A booking's hours: the sum of its job times, the hours-used figure of its technician and the
// number of slot cells its span covers. All single precision, written as the number text.
namespace BookingTimes {

// bITime: every job time followed by "%".
QString join(const BookingEntries &form);
// Items 0 to 9 of bITime; an item the text does not reach has no value.
std::array<std::optional<QString>, BookingEntry::JobTimes> split(const QString &iTime);

// Sum of the ten job times of the form; a time that is not a number counts as 0.
float total(const BookingEntries &form);
QString totalText(const BookingEntries &form);

// Hours used after a save: new total + hours used - old total.
QString hoursUsedAfterSave(const QString &usedText, float newTotal, float oldTotal);
// Hours used after a delete: hours used - deleted total, in the same number text as a save.
QString hoursUsedAfterDelete(const QString &usedText, float oldTotal);

// Hours as painted: 0 stays 0, anything else is held between half an hour and nine hours.
float spanHours(float hours);
// The cells those hours cover on a page of slots slotMinutes long, halves to even.
int spanSlots(float hours, int slotMinutes);

// The colour buttons of the booking form, in toolbar order: the colours a user paints with.
using ColorButton = PaintColor;
constexpr std::array<ColorButton, 8> ColorButtons = PaintColors;

// A booking in a free slot, and one opened from a pale yellow cell, shows the light colour.
constexpr int LightBookingColor = 0xFFFFC0;
constexpr int PaleYellow = 0xC0FFFF;

} // namespace BookingTimes
