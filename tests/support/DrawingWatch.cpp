#include "DrawingWatch.h"

#include <QApplication>
#include <QEvent>
#include <QProgressBar>
#include <QProgressDialog>

namespace {
constexpr int TurnsBeforeRelease = 3;

bool isWorkBar(const QObject *o)
{
    return o->parent() && o->parent()->objectName() == QLatin1String("prgTables");
}
} // namespace

DrawingWatch::DrawingWatch(std::function<void()> release) : m_release(std::move(release))
{
    qApp->installEventFilter(this);
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &DrawingWatch::turn);
    m_timer.start();
}

void DrawingWatch::turn()
{
    bool up = false;
    for (QWidget *w : QApplication::topLevelWidgets())
        up = up || (w->objectName() == QLatin1String("prgTables") && w->isVisible());
    if (!up)
        return;
    ++m_turns;
    if (!m_released && m_turns >= TurnsBeforeRelease && m_paintsHeld > 0) {
        m_released = true;
        m_release();
    }
}

bool DrawingWatch::eventFilter(QObject *watched, QEvent *event)
{
    auto *bar = qobject_cast<QProgressBar *>(watched);
    if (event->type() == QEvent::Paint && bar && isWorkBar(bar)) {
        if (!m_released)
            ++m_paintsHeld;
        if (bar != m_bar) {
            m_bar = bar;
            connect(bar, &QProgressBar::valueChanged, this, [this, bar](int value) {
                if (value >= bar->minimum())
                    m_values << qMakePair(value, bar->maximum());
            });
        }
    }
    return QObject::eventFilter(watched, event);
}
