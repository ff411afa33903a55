#include "core/AppState.h"
#include "core/CommandLine.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/Version.h"
#include "core/WindowSwitcher.h"
#include "shell/ShellWindows.h"
#include "shell/StartupProbe.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QSysInfo>

int main(int argc, char **argv)
{
    const QString name = QStringLiteral("Torvane");
    QCommandLineParser cl;
    CommandLine::prepare(cl, QStringLiteral("Booking schedule for vehicle service workshops, network edition."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print every line of the diagnostic log on the terminal too."));
    cl.addOption(verbose);
    if (CommandLine::textOnly(argc, argv))
        return CommandLine::answer(cl, argc, argv, name);

    QApplication app(argc, argv);
    CommandLine::nameApplication(name);
    // Installed, the desktop entry and the theme's icon name the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral(TORVANE_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TORVANE_APP_ID)));
    cl.process(app);
    StartupProbe::installFromEnvironment();
    DiagnosticLog::start(QSysInfo::machineHostName(), cl.isSet(verbose));
    AppState state;
    MessageBoxDialogs dialogs;
    // A silent server: the user chooses between trying again and ending the program, also when
    // asked before the event loop runs.
    bool gaveUp = false;
    Database::setNoAnswerHandler([&dialogs, &gaveUp] {
        if (dialogs.askServerRetry())
            return true;
        gaveUp = true;
        QCoreApplication::exit(1);
        return false;
    });
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
    state.setDialogs(&dialogs);
    state.setSwitcher(&switcher);
    ShellWindows::install(state);

    // The installation window comes first; on an installed station it hands over to the splash.
    if (!ShellWindows::startUp(state) || switcher.programEnded() || gaveUp)
        return gaveUp ? 1 : 0;
    return app.exec();
}
