#include "maint/BackupWindow.h"

#include "core/AppState.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/Resizer.h"
#include "core/Station.h"
#include "core/WindowSwitcher.h"
#include "core/WorkWithProgress.h"
#include "maint/Installation.h"
#include "maint/SharedBackup.h"
#include "store/FileProblem.h"
#include "store/SettingsStore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>
#include <exception>
#include <memory>

const QString BackupWindow::ReminderText = QStringLiteral("Please logout all client stations before proceeding!");
const QString BackupWindow::RestoreQuestion = QStringLiteral(
    "Existing database will be replaced!  Please make sure you have the correct data disk in the source drive. "
    "Do you wish to proceed?");

const QString BackupWindow::LiveFolderText =
    QStringLiteral("%1 is the server folder itself: a back-up there would replace the database the stations are using. "
                   "Please specify another disk drive or folder for the back-up.");

namespace {
QLabel *progressLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f(QStringLiteral("Arial"), 10);
    f.setBold(true);
    l->setFont(f);
    l->hide();
    return l;
}

QPushButton *button(const char *name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(true); // Enter presses the button that has the focus
    b->setMinimumWidth(96);
    return b;
}

// Drive letters exist only where a typed drive name is case-blind anyway.
constexpr bool UpperCaseInput =
#ifdef Q_OS_WIN
    true;
#else
    false;
#endif
} // namespace

BackupWindow::BackupWindow(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmBackup"));
    new Resizer(this);
    setWindowTitle(QStringLiteral("Back-up /Restore Files"));

    const QFont textFont(QStringLiteral("Arial"), 10);
#ifdef Q_OS_WIN
    const QString backupHelp =
        QStringLiteral("To back-up files, please specify destination disk drive ( e.g. A: ),  and "
                       "click Backup Button.");
    const QString restoreHelp =
        QStringLiteral("To restore files after hard disk crash or program reinstallation, please "
                       "specify source disk drive ( e.g. A: ),  and click Restore Button.");
#else
    const QString backupHelp =
        QStringLiteral("To back-up files, please specify the destination folder (a USB disk appears under "
                       "/media/%1), type it or choose it with Browse, and click Backup Button. Earlier back-ups "
                       "there are kept by date.")
            .arg(qEnvironmentVariable("USER", QDir::home().dirName()));
    const QString restoreHelp =
        QStringLiteral("To restore files after hard disk crash or program reinstallation, please specify the source "
                       "folder, choose the back-up to restore (the newest is offered), and click Restore Button.");
#endif
    auto *lblBackupHelp = new QLabel(backupHelp, this);
    auto *lblRestoreHelp = new QLabel(restoreHelp, this);
    lblBackupHelp->setObjectName(QStringLiteral("lblBackupHelp"));
    lblRestoreHelp->setObjectName(QStringLiteral("lblRestoreHelp"));
    for (QLabel *l : {lblBackupHelp, lblRestoreHelp}) {
        l->setWordWrap(true);
        l->setFont(textFont);
    }
    m_txtBackup = new QLineEdit(this);
    m_txtBackup->setObjectName(QStringLiteral("txtBackup"));
    m_txtRestore = new QLineEdit(this);
    m_txtRestore->setObjectName(QStringLiteral("txtRestore"));
    lblBackupHelp->setBuddy(m_txtBackup);
    lblRestoreHelp->setBuddy(m_txtRestore);
    auto *browseBackup = button("cmdBrowseBackup", QStringLiteral("Bro&wse..."), this);
    auto *browseRestore = button("cmdBrowseRestore", QStringLiteral("Brow&se..."), this);
    // How many earlier back-ups a back-up keeps beside the new one: this station's own choice,
    // as only the file-server station backs up, to a disk of its own.
    m_keep = new QSpinBox(this);
    m_keep->setObjectName(QStringLiteral("spnKeep"));
    m_keep->setRange(0, 999);
    m_keep->setAccessibleName(QStringLiteral("Earlier back-ups kept"));
    auto *lblKeep = new QLabel(QStringLiteral("Earlier back-ups &kept there (the newest ones):"), this);
    lblKeep->setFont(textFont);
    lblKeep->setBuddy(m_keep);
    m_backups = new QComboBox(this);
    m_backups->setObjectName(QStringLiteral("cboBackups"));
    m_backups->setAccessibleName(QStringLiteral("Back-up to restore"));
    auto *lblBackups = new QLabel(QStringLiteral("Back-up to &restore from:"), this);
    lblBackups->setFont(textFont);
    lblBackups->setBuddy(m_backups);
    m_cmdBackup = button("cmdBackup", QStringLiteral("&BackUp"), this);
    m_cmdRestore = button("cmdRestore", QStringLiteral("&Restore"), this);
    m_cmdExit = button("cmdExit", QStringLiteral("&Exit"), this);

    m_lblBacking = progressLabel("lblBacking", QStringLiteral("Backing up files to "), this);
    m_lblBackup = progressLabel("lblBackup", QString(), this);
    m_lblBackupComplete =
        progressLabel("lblBackupComplete", QStringLiteral("Files back-up completed successfully. "), this);
    m_lblRestoring = progressLabel("lblRestoring", QStringLiteral("Restoring files to program..."), this);
    m_lblRestoreComplete =
        progressLabel("lblRestoreComplete", QStringLiteral("Files restored successfully.        "), this);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);
    grid->addWidget(lblBackupHelp, 0, 0, 1, 3);
    grid->addWidget(m_txtBackup, 1, 0);
    grid->addWidget(browseBackup, 1, 1);
    grid->addWidget(m_cmdBackup, 1, 2);
    auto *keepRow = new QHBoxLayout;
    keepRow->addWidget(lblKeep);
    keepRow->addWidget(m_keep);
    keepRow->addStretch(1);
    grid->addLayout(keepRow, 2, 0, 1, 2);
    grid->setRowMinimumHeight(3, 18);
    grid->addWidget(lblRestoreHelp, 4, 0, 1, 3);
    grid->addWidget(m_txtRestore, 5, 0);
    grid->addWidget(browseRestore, 5, 1);
    grid->addWidget(m_cmdRestore, 5, 2);
    auto *chooser = new QHBoxLayout;
    chooser->addWidget(lblBackups);
    chooser->addWidget(m_backups, 1);
    grid->addLayout(chooser, 6, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    auto *backing = new QHBoxLayout;
    backing->setSpacing(0);
    backing->addWidget(m_lblBacking);
    backing->addWidget(m_lblBackup);
    backing->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addLayout(backing);
    layout->addWidget(m_lblBackupComplete);
    layout->addWidget(m_lblRestoring);
    layout->addWidget(m_lblRestoreComplete);
    layout->addStretch(1);
    layout->addWidget(m_cmdExit, 0, Qt::AlignRight);
    setMinimumSize(620, 380);

    connect(m_cmdBackup, &QPushButton::clicked, this, &BackupWindow::backup);
    connect(m_cmdRestore, &QPushButton::clicked, this, &BackupWindow::restore);
    connect(m_cmdExit, &QPushButton::clicked, this, &BackupWindow::exitWindow);
    connect(browseBackup, &QPushButton::clicked, this, [this] { browse(m_txtBackup); });
    connect(browseRestore, &QPushButton::clicked, this, [this] { browse(m_txtRestore); });
    connect(m_txtRestore, &QLineEdit::textChanged, this, &BackupWindow::listBackups);
    for (QWidget *w :
         {static_cast<QWidget *>(m_txtBackup), static_cast<QWidget *>(m_txtRestore),
          static_cast<QWidget *>(m_cmdBackup), static_cast<QWidget *>(m_cmdRestore), static_cast<QWidget *>(m_cmdExit)})
        w->installEventFilter(this);
    if (UpperCaseInput) {
        for (QLineEdit *e : {m_txtBackup, m_txtRestore}) {
            connect(e, &QLineEdit::textEdited, e, [e](const QString &text) {
                const int pos = e->cursorPosition();
                e->setText(text.toUpper());
                e->setCursorPosition(pos);
            });
        }
    }
    // The reminder comes back whenever another of the program's windows was active in between.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && now->window() != this && !qobject_cast<QDialog *>(now->window()))
            m_remind = true;
    });

    // Loading: the server folder from the station database, then the settings record.
    sharedDbPath(m_state.paths());
    openSetup();
    const QString spare = SharedBackup::offeredDestination(m_setup.recordset().text(QStringLiteral("Spare")));
    m_txtBackup->setText(spare);
    m_txtRestore->setText(spare);
    m_keep->setValue(Station::keptBackups(m_state.paths().stationDbPath(), SharedBackup::KeptBackups));
}

void BackupWindow::storeKeptBackups()
{
    try {
        Station::setKeptBackups(m_state.paths().stationDbPath(), m_keep->value());
    } catch (const AppError &e) {
        m_state.dialogs()->message(e.description(), QStringLiteral("File Backup/Restore"), Dialogs::Ok,
                                   Dialogs::Warning);
    }
}

void BackupWindow::browse(QLineEdit *box)
{
    const QString start = Installation::settledPath(box->text(), m_state.paths().programFolder());
    if (const auto folder = m_state.dialogs()->folderName(QStringLiteral("File Backup/Restore"), start)) {
        box->setText(QDir::toNativeSeparators(*folder));
        box->setFocus();
    }
}

void BackupWindow::listBackups()
{
    m_backups->clear();
    const QDir folder(Installation::settledPath(m_txtRestore->text(), m_state.paths().programFolder()));
    const QStringList names = SharedBackup::backupsIn(folder.path());
    for (const QString &name : names) {
        const QDateTime written = QFileInfo(folder.filePath(name)).lastModified();
        const QString when = QLocale().toString(written, QLocale::ShortFormat);
        m_backups->addItem(name == names.first() ? QStringLiteral("%1 (newest, %2)").arg(name, when)
                                                 : QStringLiteral("%1 (%2)").arg(name, when),
                           name);
    }
    m_backups->setEnabled(!names.isEmpty());
}

void BackupWindow::openSetup()
{
    m_setup.setDatabaseName(m_state.paths().sharedDbPath());
    m_setup.setRecordSource(SettingsStore::SetupTable);
    m_setup.refresh();
}

void BackupWindow::closeSetup()
{
    m_setup.setDatabaseName(QString());
    m_setup.refresh();
}

void BackupWindow::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
}

bool BackupWindow::runSteps(const std::vector<std::function<void()>> &steps)
{
    for (const auto &step : steps) {
        for (;;) {
            try {
                step();
                break;
            } catch (const AppError &e) {
                setBusy(false);
                // The copy runs on a thread that may not ask; the question is asked here.
                if (e.number() == ErrNo::NoAnswer) {
                    if (m_state.dialogs()->askServerRetry())
                        continue;
                    QCoreApplication::exit(1);
                    giveUp();
                    return false;
                }
                if (m_state.dialogs()->message(FileProblem::withQuestion(e.description(), QStringLiteral("Retry?")),
                                               QString(), Dialogs::YesNo, Dialogs::Question)
                    != Dialogs::AnsYes) {
                    giveUp();
                    return false;
                }
            }
        }
    }
    return true;
}

void BackupWindow::giveUp()
{
    setBusy(false);
    for (QLabel *l : {m_lblBacking, m_lblBackup, m_lblRestoring})
        l->hide();
    try {
        openSetup();
    } catch (const AppError &e) {
        // The user has just been told why; Exit opens the settings again before it writes them.
        DiagnosticLog::passedOver(QStringLiteral("File Backup/Restore"), e);
    }
}

void BackupWindow::backup()
{
    m_lblBackupComplete->hide();
    m_lblRestoreComplete->hide();
    const QString destination = Installation::settledPath(m_txtBackup->text(), m_state.paths().programFolder());
    if (SharedBackup::isLiveFolder(destination, m_state.paths().sharedDbPath())) {
        m_state.dialogs()->message(LiveFolderText.arg(QDir::toNativeSeparators(destination)),
                                   QStringLiteral("File Backup/Restore"), Dialogs::Ok, Dialogs::Warning);
        return;
    }
    const int keep = m_keep->value();
    storeKeptBackups();
    runSteps({
        [&] {
            SharedBackup::requireFolder(destination);
            SharedBackup::requireFolder(m_state.paths().serverFolder());
        },
        [&] {
            WindowSwitcher::closeWindows({QStringLiteral("frmMain"), QStringLiteral("frmAppt"),
                                          QStringLiteral("frmSetup"), QStringLiteral("frmSplash")});
            closeSetup();
        },
        [&] {
            m_lblBackup->setText(destination);
            m_lblBacking->show();
            m_lblBackup->show();
            repaint();
            const QString live = m_state.paths().sharedDbPath();
            WorkWithProgress::run(
                this, QStringLiteral("File Backup/Restore"), QStringLiteral("Backing up:"), QStringLiteral("tables"),
                [&](const SharedBackup::Progress &progress) {
                    SharedBackup::backupTo(live, destination, progress, keep);
                });
        },
        [&] {
            m_lblBacking->hide();
            m_lblBackup->hide();
            m_lblBackupComplete->show();
            listBackups();
            FileProblem::retryWhileBusy([this] { openSetup(); });
        },
    });
}

void BackupWindow::restore()
{
    m_lblBackupComplete->hide();
    m_lblRestoreComplete->hide();
    if (m_state.dialogs()->message(RestoreQuestion, QStringLiteral("Restore files"), Dialogs::YesNoDefaultNo,
                                   Dialogs::Critical)
        != Dialogs::AnsYes)
        return;
    const QString source = Installation::settledPath(m_txtRestore->text(), m_state.paths().programFolder());
    const QString chosen = m_backups->currentData().toString();
    runSteps({
        [&] {
            SharedBackup::requireFolder(source);
            SharedBackup::requireFolder(m_state.paths().serverFolder());
        },
        [&] {
            WindowSwitcher::closeWindows({QStringLiteral("frmAppt"), QStringLiteral("frmTemplate"),
                                          QStringLiteral("frmHelp"), QStringLiteral("frmMain"),
                                          QStringLiteral("frmReadme"), QStringLiteral("frmSetup"),
                                          QStringLiteral("frmSplash")});
            closeSetup();
        },
        [&] {
            m_lblRestoring->show();
            repaint();
            const QString live = m_state.paths().sharedDbPath();
            const qint64 self = m_state.registration().id;
            const int timeoutMs = m_state.registration().timeoutMs;
            WorkWithProgress::run(this, QStringLiteral("File Backup/Restore"), QStringLiteral("Restoring:"),
                                  QStringLiteral("tables"), [&](const SharedBackup::Progress &progress) {
                                      SharedBackup::restoreFrom(source, live, self, timeoutMs, progress, chosen);
                                  });
            m_lblRestoreComplete->show();
            m_lblRestoring->hide();
        },
        [&] { FileProblem::retryWhileBusy([this] { openSetup(); }); },
    });
}

void BackupWindow::exitWindow()
{
    if (m_leaving)
        return;
    m_leaving = true;
    try {
        if (!m_setup.isOpen())
            openSetup();
        Recordset &rs = m_setup.recordset();
        rs.edit();
        rs.setField(QStringLiteral("Spare"), m_txtBackup->text());
        rs.update();
    } catch (const AppError &e) {
        m_state.dialogs()->info(e.description());
    }
    storeKeptBackups();
    if (!m_state.exitAfterBackup()) {
        if (QWidget *menu = m_state.windows().mainMenu(m_state)) {
            m_state.switcher()->replace(this, menu);
            return;
        }
    }
    WindowSwitcher::closeByProgram(this);
    m_state.switcher()->endProgram();
}

void BackupWindow::closeEvent(QCloseEvent *event)
{
    // The close box runs Exit.
    if (!WindowSwitcher::closedByProgram(this) && !m_leaving) {
        event->ignore();
        exitWindow();
        return;
    }
    event->accept();
}

bool BackupWindow::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate && m_remind) {
        m_remind = false;
        m_state.dialogs()->message(ReminderText, QStringLiteral("File Backup/Restore"), Dialogs::Ok);
    }
    return QWidget::event(e);
}

bool BackupWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    QWidget *target = nullptr;
    if (watched == m_txtBackup) {
        if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter)
            target = m_cmdBackup;
    } else if (watched == m_cmdBackup) {
        target = key == Qt::Key_Up ? static_cast<QWidget *>(m_txtBackup) : key == Qt::Key_Down ? m_txtRestore : nullptr;
    } else if (watched == m_txtRestore) {
        target = key == Qt::Key_Up ? static_cast<QWidget *>(m_cmdBackup) : key == Qt::Key_Down ? m_cmdRestore : nullptr;
    } else if (watched == m_cmdRestore) {
        target = key == Qt::Key_Up ? static_cast<QWidget *>(m_txtRestore) : key == Qt::Key_Down ? m_cmdExit : nullptr;
    } else if (watched == m_cmdExit) {
        target = key == Qt::Key_Up ? m_cmdRestore : nullptr;
    }
    if (!target)
        return QWidget::eventFilter(watched, event);
    target->setFocus();
    return true;
}
