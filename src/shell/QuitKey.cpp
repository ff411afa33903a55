#include "shell/QuitKey.h"

#include "core/AppState.h"
#include "core/WindowSwitcher.h"
#include "shell/MainMenuWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

QuitKey::QuitKey(AppState &state, QObject *parent) : QObject(parent), m_state(state)
{
    qApp->installEventFilter(this);
}

bool QuitKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // A question on screen is answered first; the main menu's own Ctrl+Q has taken the key there.
    if (key->key() != Qt::Key_Q || (key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier
        || QApplication::activeModalWidget())
        return QObject::eventFilter(watched, event);
    quit();
    return true;
}

void QuitKey::quit()
{
    WindowSwitcher *switcher = m_state.switcher();
    // A few steps at most: a window over the day page, the day page, then the menu.
    for (int step = 0; switcher && step < 4 && !switcher->programEnded(); ++step) {
        const QPointer<QWidget> current = switcher->current();
        if (!current)
            return;
        if (auto *menu = qobject_cast<MainMenuWindow *>(current.data())) {
            menu->choose(MainMenuWindow::Exit);
            return;
        }
        if (!current->close() || switcher->current() == current)
            return;
    }
}
