#include "shell/MainMenuWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Programs.h"
#include "core/Resizer.h"
#include "core/Station.h"
#include "core/WindowLoad.h"
#include "core/WindowSwitcher.h"
#include "daypage/DayPageWindow.h"
#include "maint/BackupWindow.h"
#include "maint/ReadmeWindow.h"
#include "shell/ShellWindows.h"
#include "store/SettingsStore.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString RefusalTitle = QStringLiteral("Template Setup");

QString caption(int entry, const char *label)
{
    return QStringLiteral("     %1.   %2").arg(entry).arg(QLatin1String(label));
}
} // namespace

MainMenuWindow *MainMenuWindow::load(AppState &state)
{
    try {
        return new MainMenuWindow(state);
    } catch (const AppError &e) {
        state.dialogs()->info(e.description());
        state.switcher()->endProgram();
        return nullptr;
    }
}

MainMenuWindow::MainMenuWindow(AppState &state) : QWidget(nullptr), m_state(state)
{
    setObjectName(QStringLiteral("frmMain"));
    new Resizer(this);
    setWindowTitle(QStringLiteral("Main Menu"));

    auto *title = new QLabel(QStringLiteral("Torvane"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setFont(QFont(QStringLiteral("Arial"), 26, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    auto *network = new QLabel(QStringLiteral("Network Version"), this);
    network->setObjectName(QStringLiteral("lblNetwork"));
    network->setFont(QFont(QStringLiteral("Arial"), 14, QFont::Bold));
    network->setAlignment(Qt::AlignCenter);

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setAccessibleName(QStringLiteral("Main menu entries"));
    auto *entries = new QVBoxLayout(frame);
    entries->setContentsMargins(24, 14, 24, 14);
    entries->setSpacing(10);
    const std::pair<int, const char *> items[] = {
        {Scheduler, "Scheduler"},           {SetupPage, "Setup Page"},
        {Templates, "Customize Templates"}, {Backup, "Back-up / Restore Files"},
        {Downsize, "Downsize Utility"},     {Exit, "Exit"}};
    const QFont entryFont(QStringLiteral("Arial"), 12, QFont::Bold);
    for (const auto &[n, label] : items) {
        auto *b = new QRadioButton(caption(n, label), frame);
        b->setObjectName(QStringLiteral("optEntry%1").arg(n));
        b->setFont(entryFont);
        entries->addWidget(b);
        m_entries[n] = b;
    }
    m_entries[Scheduler]->setChecked(true);

    m_readme = new QPushButton(QStringLiteral("&Readme / License Agreement"), this);
    m_readme->setObjectName(QStringLiteral("cmdReadme"));
    m_readme->setAutoDefault(true);
    connect(m_readme, &QPushButton::clicked, this, &MainMenuWindow::openReadme);

    m_readme->setMinimumSize(280, 34);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 24);
    layout->setSpacing(4);
    layout->addWidget(title);
    layout->addWidget(network);
    layout->addSpacing(22);
    layout->addWidget(frame);
    layout->addSpacing(18);
    layout->addWidget(m_readme, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    setMinimumSize(440, 460);
    m_entries[Scheduler]->setFocus();

    // The window previews keys: digits work wherever the focus is.
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);

    openSharedDatabase();
}

void MainMenuWindow::openSharedDatabase()
{
    const QString path = sharedDbPath(m_state.paths());
    // The station is running from here on; a station that cannot register cannot run.
    StationRegistration &station = m_state.registration();
    station.id = station.heartbeat.start(path);
    m_appt.setDatabaseName(path);
    m_appt.setRecordSource(QStringLiteral("tbl_Appt"));
    m_appt.refresh();
    m_setup.setDatabaseName(path);
    m_setup.setRecordSource(SettingsStore::SetupTable);
    m_setup.refresh();
}

void MainMenuWindow::releaseSharedDatabase()
{
    for (DataSource *ds : {&m_appt, &m_setup}) {
        ds->setDatabaseName(QString());
        ds->refresh();
    }
}

bool MainMenuWindow::holdsSharedDatabase() const { return m_appt.isOpen() || m_setup.isOpen(); }

QRadioButton *MainMenuWindow::entryButton(int entry) const
{
    return entry >= 1 && entry < int(m_entries.size()) ? m_entries[entry] : nullptr;
}

bool MainMenuWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        const bool keypad = k->modifiers() & Qt::KeypadModifier;
        if (!keypad && ((k->key() >= Qt::Key_1 && k->key() <= Qt::Key_5) || k->key() == Qt::Key_7)) {
            choose(k->key() - Qt::Key_0);
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Space) {
            for (int n = 1; n < int(m_entries.size()); ++n) {
                if (m_entries[n] && watched == m_entries[n]) {
                    choose(n);
                    return true;
                }
            }
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        for (int n = 1; n < int(m_entries.size()); ++n) {
            if (m_entries[n] && watched == m_entries[n]) {
                m_entries[n]->setChecked(true);
                m_entries[n]->setFocus();
                choose(n);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainMenuWindow::openWindow(QWidget *next)
{
    if (next)
        m_state.switcher()->replace(this, next);
}

void MainMenuWindow::refuse(const QString &text) { m_state.dialogs()->message(text, RefusalTitle, Dialogs::Ok); }

void MainMenuWindow::choose(int entry)
{
    if (entryButton(entry)) {
        entryButton(entry)->setChecked(true);
        entryButton(entry)->setFocus();
    }
    // No error trap of its own: a station database that cannot be read ends the program.
    try {
        switch (entry) {
        case Scheduler: openWindow(m_state.windows().dayPage(m_state)); break;
        case SetupPage:
        case Templates:
            if (!isFileServerStation(m_state.paths()))
                refuse(QStringLiteral("Sorry, Page Setup is available only at server station"));
            else if (entry == SetupPage)
                openWindow(m_state.windows().setupMenu(m_state));
            else
                openWindow(m_state.windows().templateEditor(m_state));
            break;
        case Backup:
            if (!isFileServerStation(m_state.paths())) {
                refuse(QStringLiteral("Sorry, File Backup / Restore function is available only at server station"));
            } else {
                m_state.setExitAfterBackup(false);
                openWindow(loadWindow<BackupWindow>(m_state));
            }
            break;
        case Downsize: startDownsize(); break;
        case Exit:
            exitProcedure();
            WindowSwitcher::closeByProgram(this);
            break;
        default: break;
        }
    } catch (const AppError &e) {
        m_state.dialogs()->info(e.description());
        m_state.switcher()->endProgram();
    }
}

void MainMenuWindow::startDownsize()
{
    if (!isFileServerStation(m_state.paths())) {
        m_state.dialogs()->message(QStringLiteral("Sorry, housekeeping function is available only at server station"),
                                   QStringLiteral("Downsize datafile"), Dialogs::Ok);
        return;
    }
    if (m_state.dialogs()->message(QStringLiteral("Have you backed up your database?"), QStringLiteral("Reminder!"),
                                   Dialogs::YesNo, Dialogs::NoIcon)
        == Dialogs::AnsNo)
        return;
    // downsize compacts the file: the menu lets go of it first and stays open, and names this
    // station so downsize does not count it among the stations still open.
    releaseSharedDatabase();
    startProgram(QDir(m_state.paths().serverFolder()).filePath(downsizeFileName()),
                 {QStringLiteral("--station"), QString::number(m_state.registration().id)});
}

void MainMenuWindow::exitProcedure()
{
    const bool server = isFileServerStation(m_state.paths());
    if (server
        && m_state.dialogs()->ask(QStringLiteral("Would you like to back-up your files now? Regular files "
                                                 "back-up will minimize loss of data in case your hard disk "
                                                 "crashes."),
                                  QStringLiteral("Back-up Files"), Dialogs::Question)) {
        m_state.setExitAfterBackup(true);
        // The menu's own hold on the database goes before the backup window takes over.
        releaseSharedDatabase();
        if (auto *backup = loadWindow<BackupWindow>(m_state))
            m_state.switcher()->show(backup);
        WindowSwitcher::closeWindows({QStringLiteral("frmAppt")});
        return;
    }
    WindowSwitcher::closeWindows({QStringLiteral("frmAppt")});
    m_state.switcher()->endProgram();
}

void MainMenuWindow::openReadme() { openWindow(ReadmeWindow::open(m_state)); }

void MainMenuWindow::closeEvent(QCloseEvent *event)
{
    if (!WindowSwitcher::closedByProgram(this)) {
        // The close box runs Exit.
        try {
            exitProcedure();
        } catch (const AppError &e) {
            m_state.dialogs()->info(e.description());
            m_state.switcher()->endProgram();
        }
    }
    event->accept();
}
