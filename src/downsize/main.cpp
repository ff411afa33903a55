#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "downsize/frmDownsize.h"

#include <QApplication>
#include <QSysInfo>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("downsize"));
    DiagnosticLog::start(QSysInfo::machineHostName(), app.arguments().contains(QStringLiteral("--verbose")));
    MessageBoxDialogs dialogs;
    // The database lies beside the program: the copy in the server folder is the one started.
    frmDownsize window(QCoreApplication::applicationDirPath(), dialogs);
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
