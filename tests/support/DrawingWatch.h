#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QProgressBar;

// Watches the bar of long work (object name prgTables) from the windows' thread while a test
// holds the work up: a timer that turns only while the windows' event loop does, and the paints
// the bar gets. Once the bar has been up for a few turns and painted, release() runs once, and
// the test lets the work go on. Work that blocked the windows would never see it released.
class DrawingWatch : public QObject {
    Q_OBJECT
public:
    explicit DrawingWatch(std::function<void()> release);

    bool released() const { return m_released; }
    int turnsWhileUp() const { return m_turns; }
    int paintsWhileHeld() const { return m_paintsHeld; }
    // The bar's values as shown, in order (its maximum reached last when the work ends).
    const QList<QPair<int, int>> &values() const { return m_values; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void turn();

    QTimer m_timer;
    std::function<void()> m_release;
    QPointer<QProgressBar> m_bar;
    bool m_released = false;
    int m_turns = 0;
    int m_paintsHeld = 0;
    QList<QPair<int, int>> m_values;
};
