#include "core/AppState.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/WindowSwitcher.h"
#include "shell/ShellWindows.h"
#include "shell/StartupProbe.h"

#include <QApplication>
#include <QSysInfo>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Torvane"));
    StartupProbe::installFromEnvironment();
    // --verbose mirrors the diagnostic log to the terminal.
    DiagnosticLog::start(QSysInfo::machineHostName(), app.arguments().contains(QStringLiteral("--verbose")));
    AppState state;
    state.paths().setProgramFolder(QCoreApplication::applicationDirPath());
    MessageBoxDialogs dialogs;
    WindowSwitcher switcher;
    state.setDialogs(&dialogs);
    state.setSwitcher(&switcher);
    ShellWindows::install(state);

    // The installation window comes first; on an installed station it hands over to the splash.
    if (!ShellWindows::startUp(state) || switcher.programEnded())
        return 0;
    return app.exec();
}
