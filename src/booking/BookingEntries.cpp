#include "booking/BookingEntries.h"

namespace BookingEntry {
namespace {
const char *const Fields[Count] = {"bName",      "bAddress",   "bCity",   "bProv",   "bPostCode", "bPhone", "bVehicle",
                                   "bMake",      "bMainten",   "bMenu1",  "bMenu2",  "bMenu3",    "bMenu4", "bMenu5",
                                   "bInternal1", "bInternal2", "bOther1", "bOther2", "bTTime",    "bDrop",  "bProm",
                                   "bPay",       "bComments",  nullptr,   nullptr,   nullptr,     nullptr,  nullptr,
                                   nullptr,      nullptr,      nullptr,   nullptr,   nullptr};
const char *const Controls[Count] = {
    "txtName",      "txtAddress",   "txtCity",   "txtProv",   "txtPostCode", "txtPhone", "txtVehicle",
    "txtMake",      "txtMainten",   "txtMenu1",  "txtMenu2",  "txtMenu3",    "txtMenu4", "txtMenu5",
    "txtInternal1", "txtInternal2", "txtOther1", "txtOther2", "txtTTime",    "cboDTime", "cboPTIme",
    "cboPay",       "txtComments",  "tTime0",    "tTime1",    "tTime2",      "tTime3",   "tTime4",
    "tTime5",       "tTime6",       "tTime7",    "tTime8",    "tTime9"};
} // namespace

QString fieldName(Id id) { return id >= 0 && id < Count && Fields[id] ? QString::fromLatin1(Fields[id]) : QString(); }
QString controlName(Id id) { return id >= 0 && id < Count ? QString::fromLatin1(Controls[id]) : QString(); }
} // namespace BookingEntry

BookingEntries emptyBookingEntries()
{
    BookingEntries e;
    e.fill(QString(""));
    return e;
}

QStringList toList(const BookingEntries &e) { return QStringList(e.begin(), e.end()); }

BookingEntries fromList(const QStringList &l)
{
    BookingEntries e = emptyBookingEntries();
    for (int i = 0; i < BookingEntry::Count && i < l.size(); ++i)
        e[i] = l.at(i);
    return e;
}
