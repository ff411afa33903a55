#include "booking/BookingDesk.h"

#include "booking/PicklistWindow.h"

BookingDesk::BookingDesk() : m_clip(emptyBookingEntries()), m_picklists(std::make_unique<PicklistEditors>()) {}

BookingDesk::~BookingDesk() = default;
