#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "downsize/frmDownsize.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSysInfo>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("downsize"));
    // The main program names its own station, so that station does not count as one still open.
    QCommandLineParser cl;
    const QCommandLineOption station(QStringLiteral("station"), QStringLiteral("Id of the station that started it."),
                                     QStringLiteral("ID"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every error passed over too."));
    cl.addOptions({station, verbose});
    cl.process(app);
    DiagnosticLog::start(QSysInfo::machineHostName(), cl.isSet(verbose));
    MessageBoxDialogs dialogs;
    // The database lies beside the program: the copy in the server folder is the one started.
    frmDownsize window(QCoreApplication::applicationDirPath(), dialogs);
    window.setCallerStation(cl.value(station).toLongLong());
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
