#pragma once
#include "daypage/DayPageWindow.h"

class QWidget;

// The day page's print command, given the choice ticked on its print panel: the weekly
// schedule (Monday pages only) with the week data of the technician whose column holds the
// current cell, the daily summary or the daily details. Opens the printable view over the day
// page and returns it; null when refused or when the view could not be opened (shown).
QWidget *openPrintChoice(DayPageWindow &dayPage, DayPageWindow::PrintChoice choice);
