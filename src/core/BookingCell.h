#pragma once
#include <QDate>
#include <QPoint>

// The time slot a booking window opens on, handed by the day page to the window it opens: the
// date and cell, the colour the cell had when Enter was pressed, and where the window goes
// (twips from the day page window's top left). hours: what Find a Slot was asked to fit there,
// the first job time of a new booking; 0 when the slot was not found for hours.
struct BookingCell {
    QDate date;
    int row = 0;
    int col = 0;
    int color = 0;
    QPoint at;
    float hours = 0;
};
