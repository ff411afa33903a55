#pragma once
#include <QObject>

class AppState;

// Ctrl+Q in any window of the station quits as the main menu's Exit does: the window shown goes
// the way its own close box goes (what it holds is stored, or asked about) until the main menu is
// back, and then the menu's Exit runs, with its questions. A window that stays open (its question
// kept it) stops the quit. Lives as long as the station's window switcher, its parent.
class QuitKey : public QObject {
    Q_OBJECT
public:
    QuitKey(AppState &state, QObject *parent);
    void quit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppState &m_state;
};
