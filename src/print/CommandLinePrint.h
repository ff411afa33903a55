#pragma once
#include <QString>

class StationPaths;

// A schedule printed without windows, as `torvane --print VIEW --date YYYY-MM-DD [--pdf FILE]
// [--folder STATION_FOLDER]` asks for it: the same tables, stored settings (widths, orientation,
// fill) and paper as the print previews, read from the shared database without writing to it.
struct PrintOrder {
    QString view;   // "week", "day" or "details"
    QString date;   // YYYY-MM-DD; a week is the one holding that date, from its Monday
    QString pdf;    // the PDF file to write; empty for the default printer
    QString folder; // the station's folder with its dbn.mdb; empty for the program's own station
};

// Prints the order: a week prints every technician's week, each from a new sheet. Returns the
// exit code, 0 when printed, 2 for a bad view, date or folder, 1 when reading or printing
// failed; error then says why. A PDF file that could not be finished is removed.
int printFromCommandLine(const PrintOrder &order, StationPaths paths, QString &error);
