#pragma once
#include <QCommandLineParser>

// Bookings exported without windows, as `torvane --export csv|ics --from DATE --to DATE
// [--tech N] --out FILE [--folder STATION_FOLDER]` asks for it: read from the shared database of
// the station, never written to. Runs on a console-only application, so it needs no display.
namespace CommandLineExport {

// Adds the export's options to the program's parser, so --help lists them.
void addOptions(QCommandLineParser &parser);
// True when the command line names any of the export's own options.
bool asked(int argc, char **argv);
// Exports and returns the exit code, as a print from the command line does: 0 when written (the
// count goes to standard output), 2 for bad arguments (said on standard error with the usage),
// 1 when reading or writing failed.
int run(QCommandLineParser &parser, int &argc, char **argv, const QString &name);

} // namespace CommandLineExport
