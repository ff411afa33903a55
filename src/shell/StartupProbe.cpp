#include "shell/StartupProbe.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

// Peak resident set size in kB; 0 where the system does not tell.
qint64 peakResidentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void say(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

class Probe : public QObject {
public:
    explicit Probe(bool dayPage) : QObject(qApp), m_dayPage(dayPage) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        if (!w->isWindow())
            return false;
        // Each step is reported once the window's paint event has been handled.
        const QString name = w->objectName();
        if (name == QLatin1String("frmSplash") && !m_splash) {
            m_splash = true;
            QTimer::singleShot(0, this, [w = QPointer<QWidget>(w)] {
                say("splash");
                if (w)
                    press(w, Qt::Key_Space, QStringLiteral(" "));
            });
        } else if (name == QLatin1String("frmMain") && !m_menu) {
            m_menu = true;
            QTimer::singleShot(0, this, [this, w = QPointer<QWidget>(w)] {
                say("menu");
                if (!m_dayPage)
                    QCoreApplication::exit(0);
                else if (w)
                    press(w, Qt::Key_1, QStringLiteral("1"));
            });
        } else if (name == QLatin1String("frmAppt") && m_dayPage && !m_day) {
            m_day = true;
            QTimer::singleShot(0, this, [] {
                say("daypage " + QByteArray::number(peakResidentKb()));
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    static void press(QWidget *w, Qt::Key key, const QString &text)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(w, &down);
    }

    bool m_dayPage;
    bool m_splash = false;
    bool m_menu = false;
    bool m_day = false;
};

} // namespace

void StartupProbe::installFromEnvironment()
{
    const QByteArray mode = qgetenv("TORVANE_BENCH_PROBE");
    if (mode.isEmpty() || !qApp)
        return;
    new Probe(mode == "daypage");
}
