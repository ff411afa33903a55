#include "maint/ReadmeWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Resizer.h"
#include "core/WindowSwitcher.h"
#include "store/SettingsStore.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {
const QString LicenceCaption = QStringLiteral("License Agreement");
const QString MenuCaption = QStringLiteral("Main Menu");
} // namespace

ReadmeWindow::ReadmeWindow(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmReadme"));
    new Resizer(this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setFont(QFont(QStringLiteral("Courier New"), 10));
    m_text->setAccessibleName(QStringLiteral("Document text"));
    m_button = new QPushButton(this);
    m_button->setObjectName(QStringLiteral("Command1"));
    m_button->setAutoDefault(true);
    m_button->setMinimumWidth(160);
    connect(m_button, &QPushButton::clicked, this, &ReadmeWindow::next);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_button, 0, Qt::AlignHCenter);

    m_data.setDatabaseName(m_state.paths().installDbPath());
    m_data.setRecordSource(SettingsStore::SetupTable);
    m_data.refresh();
    setWindowTitle(QStringLiteral("Readme"));
    const QString readme = m_data.recordset().text(QStringLiteral("Readme"));
    m_text->setPlainText(readme);
    // Wide enough for the text's own lines, which are laid out for a fixed-pitch font.
    int widest = 0;
    const QFontMetrics fm(m_text->font());
    for (const QString &line : readme.split(QLatin1Char('\n')))
        widest = qMax(widest, fm.horizontalAdvance(line));
    int width =
        qBound(480, widest + fm.averageCharWidth() * 2 + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 40, 1000);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        width = qMin(width, screen->availableGeometry().width() * 9 / 10);
    resize(width, 560);
    m_button->setText(LicenceCaption);
    m_button->setFocus();
}

ReadmeWindow *ReadmeWindow::open(AppState &state)
{
    try {
        return new ReadmeWindow(state);
    } catch (const AppError &e) {
        state.dialogs()->info(e.description());
        return nullptr;
    }
}

void ReadmeWindow::next()
{
    if (m_button->text() == LicenceCaption) {
        try {
            m_data.refresh();
        } catch (const AppError &e) {
            m_state.dialogs()->info(e.description());
            return;
        }
        setWindowTitle(QStringLiteral("License"));
        m_text->setPlainText(m_data.recordset().text(QStringLiteral("Licence")));
        m_button->setText(MenuCaption);
        return;
    }
    backToMenu();
    WindowSwitcher::closeByProgram(this);
}

void ReadmeWindow::backToMenu()
{
    if (QWidget *menu = m_state.windows().mainMenu(m_state))
        m_state.switcher()->show(menu);
}

void ReadmeWindow::closeEvent(QCloseEvent *event)
{
    if (!WindowSwitcher::closedByProgram(this))
        backToMenu();
    event->accept();
}
