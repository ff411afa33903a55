#pragma once
#include <QPointer>
#include <QWidget>

class AppState;
class QTimer;
#include "shell/MainMenuWindow.h"

// Shown at start-up while the main menu loads behind it; ends on its timer, a key or a mouse press.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int ShowMilliseconds = 20000;

    explicit SplashWindow(AppState &state, QWidget *parent = nullptr);
    ~SplashWindow() override;

    // Shows the main menu and closes the splash.
    void finish();
    // The menu loaded behind the splash; null when its loading failed.
    MainMenuWindow *menu() const { return m_menu; }
    QTimer *timer() const { return m_timer; }

    // Platform line naming the system the program runs on.
    static QString platformLine();

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    AppState &m_state;
    QPointer<MainMenuWindow> m_menu;
    QTimer *m_timer;
    bool m_finished = false;
};
