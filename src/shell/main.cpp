#include "core/AppState.h"
#include "core/Dialogs.h"
#include "shell/StartupProbe.h"
#include "core/WindowSwitcher.h"
#include "maint/frmNet.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Torvane"));
    StartupProbe::installFromEnvironment();
    AppState state;
    state.programFolder = QCoreApplication::applicationDirPath();
    MessageBoxDialogs dialogs;
    WindowSwitcher switcher;
    state.dialogs = &dialogs;
    state.switcher = &switcher;

    // The installation window comes first; on an installed station it hands over to the splash.
    if (!frmNet::startUp(state) || switcher.programEnded())
        return 0;
    return app.exec();
}
