#include "app/StartDoc.h"

#include "app/Dialogs.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

int StartDoc(const QString &path)
{
    const QFileInfo file(path);
    if (!file.dir().exists())
        return 3;
    if (!file.exists())
        return 2;
    if (!file.isReadable())
        return 5;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath())) ? 42 : 31;
}

QString ShellErrorText(int code)
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

bool OpenDocument(Dialogs &dialogs, const QString &path)
{
    const int code = StartDoc(path);
    if (code > 32)
        return true;
    dialogs.info(ShellErrorText(code));
    return false;
}
