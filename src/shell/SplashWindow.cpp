#include "shell/SplashWindow.h"

#include "core/AppState.h"
#include "core/Resizer.h"
#include "core/Version.h"
#include "core/WindowSwitcher.h"
#include "shell/MainMenuWindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSysInfo>
#include <QTimer>
#include <QVBoxLayout>

QString SplashWindow::platformLine() { return QStringLiteral("Platform: ") + QSysInfo::prettyProductName(); }

SplashWindow::SplashWindow(AppState &state, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    new Resizer(this);
    setWindowTitle(QStringLiteral("Torvane"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setLineWidth(2);

    auto label = [frame](const char *name, const QString &text, int points, bool bold) {
        auto *l = new QLabel(text, frame);
        l->setObjectName(QLatin1String(name));
        QFont f(QStringLiteral("Arial"), points);
        f.setBold(bold);
        l->setFont(f);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    auto *box = new QVBoxLayout(frame);
    box->setContentsMargins(36, 28, 36, 24);
    box->setSpacing(10);
    box->addWidget(label("lblProductName", QStringLiteral("Torvane"), 32, true));
    box->addWidget(label("lblTagline", QStringLiteral("for automotive service centers"), 14, false));
    box->addSpacing(12);
    box->addWidget(label("lblNetwork", QStringLiteral("Network Version"), 16, true));
    box->addStretch(1);
    box->addWidget(label("lblPlatform", platformLine(), 10, false));
    box->addWidget(label("lblVersion", QStringLiteral("Version " TORVANE_VERSION), 10, false));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(frame);
    setMinimumSize(520, 340);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(260, 170));

    // The menu loads now, behind the splash; when it cannot, the program has already ended.
    m_menu = MainMenuWindow::load(state);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(ShowMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &SplashWindow::finish);
    if (m_menu)
        m_timer->start();
}

SplashWindow::~SplashWindow()
{
    // A menu loaded but never shown (the splash was closed by another window) goes with it.
    if (m_menu && !m_finished)
        delete m_menu;
}

void SplashWindow::finish()
{
    if (m_finished || !m_menu)
        return;
    m_finished = true;
    m_timer->stop();
    m_state.switcher()->replace(this, m_menu);
}

void SplashWindow::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    // Frameless: take the keyboard so the first key ends the splash.
    raise();
    activateWindow();
}

void SplashWindow::keyPressEvent(QKeyEvent *) { finish(); }

void SplashWindow::mousePressEvent(QMouseEvent *) { finish(); }
