#include "core/StartDoc.h"

#include "core/Dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

QString shellErrorText(int code)
{
    switch (code) {
    case 2: return QStringLiteral("File not found");
    case 3: return QStringLiteral("Path not found");
    case 5: return QStringLiteral("Access denied");
    case 8: return QStringLiteral("Out of memory");
    case 11: return QStringLiteral("Invalid EXE file or error in EXE image");
    case 26: return QStringLiteral("A sharing violation occurred");
    case 27: return QStringLiteral("Incomplete or invalid file association");
    case 28: return QStringLiteral("DDE Time out");
    case 29: return QStringLiteral("DDE transaction failed");
    case 30: return QStringLiteral("DDE busy");
    case 31: return QStringLiteral("No association for file extension");
    case 32: return QStringLiteral("DLL not found");
    default: return QStringLiteral("Unknown error");
    }
}

namespace {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// xdg-open starts the desktop's default program for the file's type and reports nothing back
// once it has handed over, so the association is looked up first.
bool hasDefaultProgram(const QFileInfo &file)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true; // no way to ask: let xdg-open try
    const QString type = QMimeDatabase().mimeTypeForFile(file).name();
    QProcess p;
    p.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished();
        return true;
    }
    return !QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed().isEmpty();
}
#endif
} // namespace

int startDoc(const QString &path, const QString &workDir)
{
    if (path.isEmpty())
        return Shell::FileNotFound;
    const QFileInfo file(path);
    if (!file.absoluteDir().exists())
        return Shell::PathNotFound;
    if (!file.exists())
        return Shell::FileNotFound;
    if (!file.isReadable())
        return Shell::AccessDenied;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        if (!hasDefaultProgram(file))
            return Shell::NoAssociation;
        return QProcess::startDetached(opener, {file.absoluteFilePath()}, workDir) ? Shell::Started : Shell::NotStarted;
    }
#else
    Q_UNUSED(workDir);
#endif
    // The platform's own opener; it says only whether some program took the file.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath())) ? Shell::Started
                                                                                   : Shell::NoAssociation;
}

bool openDocument(Dialogs &dialogs, const QString &path, const QString &workDir)
{
    const int code = startDoc(path, workDir);
    if (code > 32)
        return true;
    dialogs.info(shellErrorText(code));
    return false;
}
