#include "booking/BookingTimes.h"

#include "core/Numbers.h"

#include <cmath>

namespace BookingTimes {

QString join(const BookingEntries &form)
{
    QString s;
    for (int i = 0; i < BookingEntry::JobTimes; ++i)
        s += form[BookingEntry::time(i)] + QLatin1Char('%');
    return s;
}

std::array<std::optional<QString>, BookingEntry::JobTimes> split(const QString &iTime)
{
    std::array<std::optional<QString>, BookingEntry::JobTimes> out;
    if (iTime.isEmpty())
        return out;
    const QStringList items = iTime.split(QLatin1Char('%'));
    for (int i = 0; i < BookingEntry::JobTimes && i < items.size(); ++i)
        out[i] = items.at(i);
    return out;
}

float total(const BookingEntries &form)
{
    float sum = 0.0f;
    for (int i = 0; i < BookingEntry::JobTimes; ++i)
        sum += leadingNumber(form[BookingEntry::time(i)]);
    return sum;
}

QString totalText(const BookingEntries &form) { return numberText(total(form)); }

QString hoursUsedAfterSave(const QString &usedText, float newTotal, float oldTotal)
{
    const float used = leadingNumber(usedText);
    return numberText(newTotal + used - oldTotal);
}

QString hoursUsedAfterDelete(const QString &usedText, float oldTotal)
{
    return numberText(leadingNumber(usedText) - oldTotal);
}

float spanHours(float hours)
{
    if (hours < 0.5f && hours != 0.0f)
        return 0.5f;
    if (hours > 9.0f)
        return 9.0f;
    return hours;
}

int spanSlots(float hours, int slotMinutes)
{
    if (slotMinutes <= 0)
        slotMinutes = 30;
    // nearbyint rounds halves to even in the default rounding mode; in double, a quarter hour
    // on half-hour slots is exactly half a cell.
    return int(std::nearbyint(double(spanHours(hours)) * 60.0 / slotMinutes));
}

} // namespace BookingTimes
