#include "core/CommandLine.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "downsize/DownsizeWindow.h"

#include <QApplication>
#include <QSysInfo>

int main(int argc, char **argv)
{
    const QString name = QStringLiteral("downsize");
    QCommandLineParser cl;
    CommandLine::prepare(cl, QStringLiteral("Deletes the pages and bookings of a span of dates from the shared "
                                            "database db.mdb beside it, then compacts the file."));
    // The main program names its own station, so that station does not count as one still open.
    const QCommandLineOption station(QStringLiteral("station"), QStringLiteral("Id of the station that started it."),
                                     QStringLiteral("ID"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every error passed over too."));
    cl.addOptions({station, verbose});
    if (CommandLine::textOnly(argc, argv))
        return CommandLine::answer(cl, argc, argv, name);
    if (CommandLine::refuseUnknown(cl, argc, argv))
        return 1;

    QApplication app(argc, argv);
    CommandLine::nameApplication(name);
    cl.process(app);
    DiagnosticLog::start(QSysInfo::machineHostName(), cl.isSet(verbose));
    DiagnosticLog::captureQtMessages();
    MessageBoxDialogs dialogs;
    // A silent server: the user chooses between trying again and ending the program, also when
    // asked before the event loop runs.
    bool gaveUp = false;
    dialogs.askWhenServerSilent(gaveUp);
    // The database lies beside the program: the copy in the server folder is the one started.
    DownsizeWindow window(QCoreApplication::applicationDirPath(), dialogs);
    window.setCallerStation(cl.value(station).toLongLong());
    if (gaveUp)
        return 1;
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
