#include "core/WindowMakers.h"

#include <QWidget>

void WindowMakers::closeBookingWindow(QWidget *window) const
{
    if (!window)
        return;
    if (m_closeBooking)
        m_closeBooking(window);
    else
        window->close();
}
