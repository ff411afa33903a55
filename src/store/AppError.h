#pragma once
#include <QString>
#include <stdexcept>

// A failure with the engine's (or the program's) number and description. Every error trap
// catches this and shows the number and text in the routine's own message.
class AppError : public std::runtime_error {
public:
    AppError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
    {
    }
    int number() const { return m_number; }
    const QString &description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// Numbers with a meaning of their own to callers.
namespace ErrNo {
constexpr int RecordDeleted = 3167; // the current record was deleted by another station
constexpr int RecordLocked = 3186;  // another station holds the write lock
constexpr int RecordChanged = 3197; // changed by another station since this edit
// The program's own: a page cell (or memo) no longer holds what this station showed, or the page
// of that date is gone or was made again; nothing was written.
constexpr int PageChanged = 3198;
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int NotUpdatable = 3027;
constexpr int UpdateWithoutEdit = 3020;
constexpr int ItemNotFound = 3265;
constexpr int CannotOpen = 3024;
constexpr int InUse = 3356;                // other stations have the database open
constexpr int UnrecognizedDatabase = 3343; // damaged, or not a database of this program
// A server that gave no answer within the connection's limit; the connection was given up.
constexpr int NoAnswer = 3151;
constexpr int SubscriptOutOfRange = 9;
constexpr int InvalidProperty = 380;
} // namespace ErrNo
