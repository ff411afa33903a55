#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

// Windows that replace each other: show the next one, then close the current one.
class WindowSwitcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Takes ownership of next (deleted on close). current may be null.
    void replace(QWidget *current, QWidget *next);
    void show(QWidget *next);
    QWidget *current() const { return m_current; }

    // Closing by the program's own code, as opposed to the user's close box: a window's
    // closeEvent asks closedByProgram() to skip what the close box does (Exit, back to the menu).
    static void closeByProgram(QWidget *w);
    static bool closedByProgram(const QWidget *w);
    // Closes every top-level window of the given object names that is open, by program.
    static void closeWindows(const QStringList &objectNames);

    // Ends the program: every window closes by program and the event loop stops.
    void endProgram();
    bool programEnded() const { return m_ended; }

signals:
    void switched(QWidget *next);
    void ended();

private:
    QPointer<QWidget> m_current;
    bool m_ended = false;
};
