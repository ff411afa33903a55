#include "maint/NetworkWindow.h"

#include "core/AppState.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/Resizer.h"
#include "core/Station.h"
#include "core/WindowSwitcher.h"
#include "maint/Installation.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

const QString NetworkWindow::InvalidPathText =
#ifdef Q_OS_WIN
    QStringLiteral("File server path name is invalid or not declared as a shared file. Please check Instructions.txt "
                   "for detailed network installation procedures.");
#else
    QStringLiteral("File server path name is invalid, or the folder is not shared or not mounted. Please check the "
                   "network installation steps in the installation window and in man torvane.");
#endif

const QString NetworkWindow::MissingSharedDatabaseText = QStringLiteral(
    "The shared database %1 cannot be found: the server folder may be unreachable or its drive not connected.\n\n"
    "Do you wish to open the installation window to give the server folder again?");

namespace {
const QString PathTitle = QStringLiteral("Server Path Name");

#ifdef Q_OS_WIN
const QString ServerFolderPrompt =
    QStringLiteral("Please enter the full path name of the file server directory/folder - e.g. C:\\server ");
const QString ClientFolderPrompt = QStringLiteral(
    "Please enter the virtual drive name that points to the file server -  e.g. Z: {No backslash please}");
#else
const QString ServerFolderPrompt =
    QStringLiteral("Please enter the full path name of the file server folder (the folder you share with Samba or "
                   "NFS), or choose it with Browse - e.g. ~/Torvane Server ");
const QString ClientFolderPrompt =
    QStringLiteral("Please enter the folder where the file server's shared folder is mounted on this workstation - "
                   "type it or choose it with Browse - e.g. /mnt/server ");
#endif

const QString NoSharedDatabaseText = QStringLiteral(
    "No shared database (db.mdb, or db.pgconn naming a database server) was found in %1. Install the file-server "
    "station first, or check that the drive name is right and the drive is connected.");

const QString ServerProblemText = QStringLiteral(
    "The folder %1 names a database server in db.pgconn, but that database cannot be used:\n%2\n\n"
    "Check the address in db.pgconn and that the server is running; an empty server database is made ready with "
    "torvane-migrate. Nothing was installed.");
} // namespace

NetworkWindow::NetworkWindow(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmNet"));
    new Resizer(this);
    setWindowTitle(QStringLiteral("Network Installation"));

#ifdef Q_OS_WIN
    const QString texts[] = {
        QStringLiteral("Before you install this program on a network, you must first do the following:"),
        QStringLiteral("Create a new directory/folder on the main workstation to act as the file server where the "
                       "shared database will be located:  e.g. C:\\server"),
        QStringLiteral("You configure this directory's network properties by clicking it with the right button and "
                       "select Sharing.  Enable the \"Shared As\" and \"Full\" checkboxes."),
        QStringLiteral("You can install password protection on this shared database if you wish."),
        QStringLiteral("For every other workstation on the network, you designate a virtual disk drive name to point "
                       "to the file server that contains the shared database:   e.g.  Z:   ( no backslash , please)"),
        QStringLiteral("More details available in the Manual.doc file. "),
    };
#else
    const QString texts[] = {
        QStringLiteral("Before you install this program on a network, you must first do the following:"),
        QStringLiteral("Create a new folder on the main workstation to act as the file server where the shared "
                       "database will be located:  e.g. %1")
            .arg(Installation::defaultServerFolder(true)),
        QStringLiteral("Share that folder with the other workstations, with read and write access for their users: "
                       "with Samba, a share such as [torvane] path = <the folder>, read only = no in "
                       "/etc/samba/smb.conf; or with NFS, a line such as <the folder> 192.168.1.0/24(rw,sync) in "
                       "/etc/exports."),
        QStringLiteral("You can protect the share with a password if you wish (Samba: smbpasswd -a <user>)."),
        QStringLiteral("On every other workstation, mount the shared folder, e.g. at %1 (Samba: mount -t cifs "
                       "//<server>/torvane %1 -o username=<user>,uid=<user>; NFS: mount -t nfs "
                       "<server>:<the folder> %1; an entry in /etc/fstab mounts it at every start), and type that "
                       "folder (or choose it with Browse) when the installation asks for it.")
            .arg(Installation::defaultClientDrive()),
        QStringLiteral("More details: man torvane. "),
    };
#endif
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 18);
    layout->setSpacing(12);
    int i = 1;
    for (const QString &t : texts) {
        auto *l = new QLabel(t, this);
        l->setObjectName(QStringLiteral("Label%1").arg(i));
        l->setWordWrap(true);
        QFont f(QStringLiteral("Arial"), i == 1 ? 11 : 10);
        f.setBold(i == 1);
        l->setFont(f);
        if (i >= 2 && i <= 5)
            l->setIndent(18);
        if (i == 6)
            l->setAlignment(Qt::AlignHCenter);
        layout->addWidget(l);
        ++i;
    }
    layout->addStretch(1);

    auto *buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(true);
        b->setMinimumWidth(96);
        buttons->addWidget(b);
        return b;
    };
    QPushButton *print = makeButton("cmdPrint", QStringLiteral("Print"));
    buttons->addStretch(1);
    QPushButton *exit = makeButton("cmdExit", QStringLiteral("Exit"));
    QPushButton *next = makeButton("cmdNext", QStringLiteral("Next"));
    layout->addLayout(buttons);
    connect(print, &QPushButton::clicked, this, &NetworkWindow::printWindow);
    connect(exit, &QPushButton::clicked, this, &NetworkWindow::exitProgram);
    connect(next, &QPushButton::clicked, this, &NetworkWindow::next);
    next->setFocus();
    resize(640, 340);

    const StationRecord station = Station::read(m_state.paths().stationDbPath());
    m_installed = station.net;
    m_state.paths().setServerFolder(station.server);
}

bool NetworkWindow::sharedDatabaseFound()
{
    const QString path = m_state.paths().sharedDbPath();
    if (QFileInfo(path).isFile())
        return true;
    if (m_state.dialogs()->message(MissingSharedDatabaseText.arg(QDir::toNativeSeparators(path)), QString(),
                                   Dialogs::YesNo, Dialogs::Warning)
        != Dialogs::AnsYes)
        m_state.switcher()->endProgram();
    return false;
}

void NetworkWindow::showSplash()
{
    QWidget *splash = m_state.windows().splash(m_state);
    if (splash && m_state.switcher()->programEnded())
        delete splash;
    else if (splash)
        m_state.switcher()->replace(this, splash);
}

void NetworkWindow::exitProgram()
{
    WindowSwitcher::closeByProgram(this);
    m_state.switcher()->endProgram();
}

void NetworkWindow::fail()
{
    m_state.dialogs()->message(InvalidPathText, QString(), Dialogs::Ok);
    try {
        Station::setNet(m_state.paths().stationDbPath(), false);
    } catch (const AppError &e) {
        // The station stays uninstalled either way: it was never set up.
        DiagnosticLog::passedOver(QStringLiteral("Network Installation"), e);
    }
    exitProgram();
}

void NetworkWindow::next()
{
    try {
        for (;;) {
            const bool server =
                m_state.dialogs()->ask(QStringLiteral("Is this workstation also the file server station?"),
                                       QStringLiteral("Workstation Status"), Dialogs::NoIcon);
            const Outcome o = server ? installServer() : installClient();
            if (o == Outcome::Done)
                showSplash();
            if (o != Outcome::Again)
                return;
        }
    } catch (const AppError &) {
        fail();
    }
}

NetworkWindow::Outcome NetworkWindow::installServer()
{
    const std::optional<QString> answer = m_state.dialogs()->folderInput(
        ServerFolderPrompt, PathTitle, Installation::defaultServerFolder(m_state.paths().installed()));
    if (!answer || answer->isEmpty()) {
        if (m_state.dialogs()->ask(QStringLiteral("You need to locate the file server for installing the shared "
                                                  "database. Do you wish to continue?"),
                                   QStringLiteral("Designate File Server"), Dialogs::NoIcon))
            return Outcome::Again;
        exitProgram();
        return Outcome::Ended;
    }
    const QString path = Installation::settledPath(*answer, m_state.paths().programFolder());
    if (!prepareServerFolder(path))
        return Outcome::Ended;
    if (!serverUsable(path))
        return Outcome::Again;
    // Another installation's shared database holds that office's pages: it stays unless the user
    // says otherwise, and even then it is kept beside the new one.
    QString keptAs;
    // While other stations work on it, replacing it would lose their next writes: never offered.
    // This station counts as another only when it is registered on a different file.
    const StationRegistration &self = m_state.registration();
    const bool onThisFile = QFileInfo(self.heartbeat.path()) == QFileInfo(Database::sharedIn(path));
    if (const auto existing =
            Installation::existingDatabase(path, onThisFile ? self.heartbeat.id() : 0, self.timeoutMs)) {
        const QString aside = Installation::keepAsideName(path, QDateTime::currentDateTime());
        if (existing->stationsOpen > 0)
            m_state.dialogs()->message(Installation::inUseText(*existing), QStringLiteral("Shared Database"),
                                       Dialogs::Ok, Dialogs::Warning);
        else if (m_state.dialogs()->message(Installation::replaceQuestion(*existing, aside),
                                            QStringLiteral("Shared Database"), Dialogs::YesNoDefaultNo,
                                            Dialogs::Warning)
                 == Dialogs::AnsYes)
            keptAs = aside;
    }
    Station::write(m_state.paths().stationDbPath(), {path, true, true});
    Installation::copyServerFiles(m_state.paths(), path, keptAs, onThisFile ? self.heartbeat.id() : 0);
    return Outcome::Done;
}

NetworkWindow::Outcome NetworkWindow::installClient()
{
    const std::optional<QString> answer =
        m_state.dialogs()->folderInput(ClientFolderPrompt, PathTitle, Installation::defaultClientDrive());
    if (!answer || answer->isEmpty())
        return Outcome::Again;
    const QString drive = Installation::settledPath(*answer, m_state.paths().programFolder());
    if (!QFileInfo(Database::sharedIn(drive)).isFile()) {
        m_state.dialogs()->message(NoSharedDatabaseText.arg(QDir::toNativeSeparators(drive)), PathTitle, Dialogs::Ok,
                                   Dialogs::Warning);
        return Outcome::Again;
    }
    if (!serverUsable(drive))
        return Outcome::Again;
    Station::write(m_state.paths().stationDbPath(), {drive, true, false});
    return Outcome::Done;
}

bool NetworkWindow::serverUsable(const QString &folder)
{
    const QString shared = Database::sharedIn(folder);
    if (!Database::isConnectionFile(shared))
        return true;
    const QString problem = Installation::serverProblem(shared);
    if (problem.isEmpty())
        return true;
    m_state.dialogs()->message(ServerProblemText.arg(QDir::toNativeSeparators(folder), problem), PathTitle, Dialogs::Ok,
                               Dialogs::Warning);
    return false;
}

bool NetworkWindow::prepareServerFolder(const QString &path)
{
    if (Installation::prepareFolder(path) == Installation::FolderState::Ready)
        return true;
    m_state.dialogs()->message(QStringLiteral("A file with identical name as your designated server already exists. "
                                              "Please delete/move that file or change the name of your server "
                                              "directory."),
                               QStringLiteral("File Server Path"), Dialogs::Ok);
    try {
        Station::setNet(m_state.paths().stationDbPath(), false);
    } catch (const AppError &e) {
        // Never installed, so net is false already unless the file cannot be written at all.
        DiagnosticLog::passedOver(QStringLiteral("PrepareServerFolder"), e);
    }
    exitProgram();
    return false;
}

void NetworkWindow::printWindow()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        m_state.dialogs()->message(QStringLiteral("No default printer is installed."), QStringLiteral("Print"),
                                   Dialogs::Ok);
        return;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_state.dialogs()->message(QStringLiteral("The printer %1 cannot print now.").arg(info.printerName()),
                                   QStringLiteral("Print"), Dialogs::Ok);
        return;
    }
    const QPixmap image = grab();
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawPixmap(0, 0, image);
    painter.end();
}
