#include "app/WindowSwitcher.h"

void WindowSwitcher::show(QWidget *next)
{
    next->setAttribute(Qt::WA_DeleteOnClose);
    m_current = next;
    next->show();
    emit switched(next);
}

void WindowSwitcher::replace(QWidget *current, QWidget *next)
{
    show(next);
    if (current && current != next)
        current->close();
}
