#include "booking/BookingEntries.h"

namespace BookingEntry {
namespace {
using F = BookingField::Id;
constexpr F NoField = BookingField::Count;
const F Fields[Count] = {F::Name,      F::Address,   F::City,   F::Prov,   F::PostCode, F::Phone, F::Vehicle,
                         F::Make,      F::Mainten,   F::Menu1,  F::Menu2,  F::Menu3,    F::Menu4, F::Menu5,
                         F::Internal1, F::Internal2, F::Other1, F::Other2, F::TTime,    F::Drop,  F::Prom,
                         F::Pay,       F::Comments,  NoField,   NoField,   NoField,     NoField,  NoField,
                         NoField,      NoField,      NoField,   NoField,   NoField};
const char *const Controls[Count] = {
    "txtName",      "txtAddress",   "txtCity",   "txtProv",   "txtPostCode", "txtPhone", "txtVehicle",
    "txtMake",      "txtMainten",   "txtMenu1",  "txtMenu2",  "txtMenu3",    "txtMenu4", "txtMenu5",
    "txtInternal1", "txtInternal2", "txtOther1", "txtOther2", "txtTTime",    "cboDTime", "cboPTIme",
    "cboPay",       "txtComments",  "tTime0",    "tTime1",    "tTime2",      "tTime3",   "tTime4",
    "tTime5",       "tTime6",       "tTime7",    "tTime8",    "tTime9"};
} // namespace

std::optional<BookingField::Id> storedField(Id id)
{
    if (id < 0 || id >= Count || Fields[id] == NoField)
        return std::nullopt;
    return Fields[id];
}

QString fieldName(Id id)
{
    const auto f = storedField(id);
    return f ? BookingField::column(*f) : QString();
}
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
