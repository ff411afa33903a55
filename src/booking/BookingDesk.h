#pragma once
#include "booking/BookingEntries.h"

#include <memory>

class PicklistEditors;

// What a station's booking windows share and keep between bookings: the paste buffer of the
// Copy, Cut and Paste commands (and of a save refused because another station changed the
// record), and the picklist editors once shown. The shell makes one per station and hands it to
// every booking window and the setup menu.
class BookingDesk {
public:
    BookingDesk();
    ~BookingDesk();
    BookingDesk(const BookingDesk &) = delete;
    BookingDesk &operator=(const BookingDesk &) = delete;

    const BookingEntries &clip() const { return m_clip; }
    void setClip(const BookingEntries &form) { m_clip = form; }
    PicklistEditors &picklists() { return *m_picklists; }

private:
    BookingEntries m_clip;
    std::unique_ptr<PicklistEditors> m_picklists;
};
