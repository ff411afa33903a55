#pragma once
#include "store/AppError.h"

#include <QElapsedTimer>
#include <QString>
#include <QThread>

// Why a database file or folder could not be used, told in words a user can act on: the file or
// folder by name, the cause, and what to do. The engines and the file operations report causes
// in their own numbers; this sorts them into the few a user can do something about.
namespace FileProblem {

enum class Cause { Other, Busy, ReadOnly, DiskFull, Foreign, Missing };

// How long a file another station is writing is tried again before the user hears of it.
constexpr int BusyRetryMs = 3000;

Cause causeOf(const AppError &e);

// The message for cause on file (a file or a folder). Other gives detail with the file named.
QString text(Cause cause, const QString &file, const QString &detail = QString());

// e with its description replaced by text(causeOf(e), file, e.description()); the number is kept,
// so callers that look at it still can. A description that names the file already is kept as it is
// for Other.
AppError explained(const AppError &e, const QString &file);

// A failed plain file operation (open, write, rename) on file, from the system's errno: number is
// the program's number for it (75: path/file access error).
AppError fromErrno(int systemError, const QString &file, int number = 75);

// The cause of not being able to write into folder, found by looking at it: Missing, ReadOnly,
// DiskFull (no free block left), or Other when it looks writable.
Cause folderCause(const QString &folder);

// A message followed by a question, with one full stop between them however the message ends.
QString withQuestion(const QString &message, const QString &question);

// Runs f, and again while it fails because another station holds the file, for about
// BusyRetryMs; the last failure is thrown.
template <class F>
auto retryWhileBusy(F &&f, int ms = BusyRetryMs)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        try {
            return f();
        } catch (const AppError &e) {
            if (causeOf(e) != Cause::Busy || waited.elapsed() >= ms)
                throw;
        }
        QThread::msleep(100);
    }
}

} // namespace FileProblem
