#pragma once
#include <QString>
#include <QtGlobal>

class AppError;

// A small log for support calls: every error message shown and every error caught and
// deliberately not shown, one line each with the time and the station, in torvane.log in the
// user's data folder. At MaxBytes the file moves to torvane.log.1 (the one before is dropped).
// Writing never fails the caller: a log that cannot be written is skipped.
class DiagnosticLog {
public:
    static constexpr qint64 MaxBytes = 256 * 1024;

    // Names the station in every line, mirrors lines to standard error when verbose, and takes
    // the store's passed-over errors. Lines written before start name the machine.
    static void start(const QString &station, bool verbose);

    static void shown(const QString &title, const QString &text);
    static void passedOver(const QString &where, const AppError &e);

    // From here on Qt's and the database drivers' warnings and errors are written to the log too,
    // and still reach standard error as before. Returns the handler it replaced.
    static QtMessageHandler captureQtMessages();

    static QString filePath();
};
