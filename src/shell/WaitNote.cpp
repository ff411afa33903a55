#include "shell/WaitNote.h"

#include <QApplication>
#include <QLabel>
#include <QThread>

const QString WaitNote::Text = QStringLiteral("Waiting for other stations...");

WaitNote::WaitNote()
{
    Database::setLockWaitNotice([this](Database::LockWait what) { notice(what); });
}

WaitNote::~WaitNote()
{
    Database::setLockWaitNotice({});
    remove();
}

void WaitNote::notice(Database::LockWait what)
{
    // Stations of the benchmark and the load tool wait on threads of their own.
    if (!qApp || QThread::currentThread() != qApp->thread())
        return;
    switch (what) {
    case Database::LockWait::Begins:
        if (!m_cursor) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_cursor = true;
        }
        break;
    case Database::LockWait::LastsLong: show(); break;
    case Database::LockWait::Ends: remove(); break;
    }
}

void WaitNote::show()
{
    if (m_note)
        return;
    QWidget *window = QApplication::activeWindow();
    auto *note = new QLabel(Text, window, window ? Qt::Widget : Qt::FramelessWindowHint | Qt::Tool);
    note->setObjectName(QStringLiteral("lblWaiting"));
    note->setAlignment(Qt::AlignCenter);
    note->setAutoFillBackground(true);
    note->setFrameShape(QFrame::Box);
    note->setMargin(12);
    note->adjustSize();
    if (window)
        note->move((window->width() - note->width()) / 2, (window->height() - note->height()) / 2);
    note->show();
    note->raise();
    // The wait holds the windows' thread: the note is painted now, without running other events
    // that could reach the database in the middle of the wait.
    note->repaint();
    m_note = note;
    emit shown(note);
}

void WaitNote::remove()
{
    delete m_note;
    if (m_cursor) {
        QApplication::restoreOverrideCursor();
        m_cursor = false;
    }
}
