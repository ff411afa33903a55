#include "core/WindowSwitcher.h"

#include <QApplication>

namespace {
const char *const ClosedByProgram = "torvaneClosedByProgram";
}

void WindowSwitcher::show(QWidget *next)
{
    next->setAttribute(Qt::WA_DeleteOnClose);
    next->setProperty(ClosedByProgram, false);
    m_current = next;
    next->show();
    emit switched(next);
}

void WindowSwitcher::replace(QWidget *current, QWidget *next)
{
    show(next);
    if (current && current != next)
        closeByProgram(current);
}

void WindowSwitcher::closeByProgram(QWidget *w)
{
    if (!w)
        return;
    w->setProperty(ClosedByProgram, true);
    w->close();
}

bool WindowSwitcher::closedByProgram(const QWidget *w) { return w->property(ClosedByProgram).toBool(); }

void WindowSwitcher::closeWindows(const QStringList &objectNames)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->isVisible() && objectNames.contains(w->objectName()))
            closeByProgram(w);
    }
}

void WindowSwitcher::endProgram()
{
    m_ended = true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        w->setProperty(ClosedByProgram, true);
    emit ended();
    // Outside the event loop (tests) this does nothing.
    QCoreApplication::quit();
}
