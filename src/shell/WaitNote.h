#pragma once
#include "store/Database.h"

#include <QObject>
#include <QPointer>

class QLabel;

// While this station waits for other stations' write locks: the wait cursor from the start and,
// once the wait has lasted Database::LockNoticeMs, a note on the active window (or a small window
// of its own when none is active). Both go when the wait ends. Only waits of the windows' thread
// are shown.
class WaitNote : public QObject {
    Q_OBJECT
public:
    static const QString Text; // "Waiting for other stations..."

    // Installs itself as the process's lock wait notice; the one installed last is heard.
    WaitNote();
    ~WaitNote() override;

    void notice(Database::LockWait what);

signals:
    // The note is on screen (painted before this is sent).
    void shown(QLabel *note);

private:
    void show();
    void remove();

    QPointer<QLabel> m_note;
    bool m_cursor = false;
};
