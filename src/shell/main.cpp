#include "core/AppState.h"
#include "core/CommandLine.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/Version.h"
#include "core/WindowSwitcher.h"
#include "print/CommandLineExport.h"
#include "print/CommandLinePrint.h"
#include "shell/ShellWindows.h"
#include "shell/StartupProbe.h"
#include "shell/WaitNote.h"
#include "store/AppError.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QSysInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    const QString name = QStringLiteral("Torvane");
    QCommandLineParser cl;
    CommandLine::prepare(cl, QStringLiteral("Booking schedule for vehicle service workshops, network edition."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print every line of the diagnostic log on the terminal too."));
    cl.addOption(verbose);
    const QCommandLineOption print(QStringLiteral("print"),
                                   QStringLiteral("Print a schedule without windows: week, day or details."),
                                   QStringLiteral("view"));
    const QCommandLineOption date(QStringLiteral("date"), QStringLiteral("The date to print (YYYY-MM-DD)."),
                                  QStringLiteral("date"));
    const QCommandLineOption pdf(QStringLiteral("pdf"),
                                 QStringLiteral("Write the schedule to this PDF file instead of the default printer."),
                                 QStringLiteral("file"));
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QStringLiteral("The station's folder (with its dbn.mdb) to print or export from."),
                                    QStringLiteral("folder"));
    cl.addOptions({print, date, pdf, folder});
    CommandLineExport::addOptions(cl);
    if (CommandLine::textOnly(argc, argv))
        return CommandLine::answer(cl, argc, argv, name);
    if (CommandLine::refuseUnknown(cl, argc, argv))
        return 1;
    // An export needs no window system at all.
    if (CommandLineExport::asked(argc, argv))
        return CommandLineExport::run(cl, argc, argv, name);
    // An unattended print needs no display.
    const bool printing = CommandLine::hasOption(argc, argv, "--print") || CommandLine::hasOption(argc, argv, "--date")
                          || CommandLine::hasOption(argc, argv, "--pdf")
                          || CommandLine::hasOption(argc, argv, "--folder");
    if (printing) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Only errors reach the terminal: the platform's own chatter is no business of a print job.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
    }

    QApplication app(argc, argv);
    CommandLine::nameApplication(name);
    // Installed, the desktop entry and the theme's icon name the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral(TORVANE_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TORVANE_APP_ID)));
    cl.process(app);
    if (printing) {
        QString error;
        int code = 2;
        if (!cl.isSet(print) || !cl.isSet(date))
            error = QStringLiteral("--print and --date go together; --pdf and --folder go with them.");
        else
            code = printFromCommandLine(
                {cl.value(print), cl.value(date), cl.value(pdf), cl.value(folder)},
                StationPaths::forProgram(QCoreApplication::applicationDirPath(),
                                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)),
                error);
        if (code != 0)
            std::fprintf(stderr, "torvane: %s\n", qPrintable(error));
        return code;
    }
    StartupProbe::installFromEnvironment();
    DiagnosticLog::start(QSysInfo::machineHostName(), cl.isSet(verbose));
    DiagnosticLog::captureQtMessages();
    AppState state;
    MessageBoxDialogs dialogs;
    // A silent server: the user chooses between trying again and ending the program, also when
    // asked before the event loop runs.
    bool gaveUp = false;
    dialogs.askWhenServerSilent(gaveUp);
    state.paths() = StationPaths::forProgram(QCoreApplication::applicationDirPath(),
                                             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (state.paths().installed()) {
        try {
            state.paths().makeStationDb();
        } catch (const AppError &e) {
            dialogs.error(e, name);
            return 1;
        }
    }
    WindowSwitcher switcher;
    WaitNote waitNote;
    state.setDialogs(&dialogs);
    state.setSwitcher(&switcher);
    ShellWindows::install(state);

    // The installation window comes first; on an installed station it hands over to the splash.
    if (!ShellWindows::startUp(state) || switcher.programEnded() || gaveUp)
        return gaveUp ? 1 : 0;
    return app.exec();
}
