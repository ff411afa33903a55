#include "shell/ShellWindows.h"

#include "booking/BookingWindow.h"
#include "booking/DayPageBooking.h"
#include "booking/FindSlotWindow.h"
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/WindowLoad.h"
#include "core/WindowSwitcher.h"
#include "daypage/DayPageWindow.h"
#include "maint/NetworkWindow.h"
#include "print/DayPagePrint.h"
#include "setup/SetupMenuWindow.h"
#include "setup/SkillViewWindow.h"
#include "setup/TemplatesWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/SplashWindow.h"

#include <memory>

void ShellWindows::install(AppState &state)
{
    state.windows().setMainMenu([](AppState &s) -> QWidget * { return MainMenuWindow::load(s); });
    state.windows().setSplash([](AppState &s) -> QWidget * { return loadWindow<SplashWindow>(s); });
    state.windows().setDayPage([](AppState &s) -> QWidget * { return dayPage(s); });
    state.windows().setTemplateEditor(&ShellWindows::templates);
    state.windows().setSetupMenu([](AppState &s) -> QWidget * { return loadWindow<SetupMenuWindow>(s); });
}

QWidget *ShellWindows::startUp(AppState &state)
{
    NetworkWindow *net = loadWindow<NetworkWindow>(state);
    if (!net)
        return nullptr;
    if (!net->installed()) {
        state.switcher()->show(net);
        return net;
    }
    if (!net->sharedDatabaseFound()) {
        // A server folder that has gone away would only end every start; the window can mend it.
        if (state.switcher()->programEnded()) {
            delete net;
            return nullptr;
        }
        state.switcher()->show(net);
        return net;
    }
    // Installed: the user never sees this window.
    delete net;
    QWidget *splash = state.windows().splash(state);
    if (splash && state.switcher()->programEnded()) {
        delete splash;
        return nullptr;
    }
    if (splash)
        state.switcher()->show(splash);
    return splash;
}

DayPageWindow *ShellWindows::dayPage(AppState &state)
{
    DayPageWindow *w = loadWindow<DayPageWindow>(state);
    if (w) {
        openBookingsFrom(*w, state);
        openPrintFrom(*w);
        openSkillViewerFrom(*w, state);
        openSlotFinderFrom(*w, state);
    }
    return w;
}

void ShellWindows::openBookingsFrom(DayPageWindow &w, AppState &state)
{
    // The page as the booking window sees it; it lives as long as the opener, so as long as the
    // day page, which closes its booking window first.
    auto view = std::make_shared<DayPageBooking>(w.page());
    DayPageBooking::eraseBookingsOn(w.page());
    w.setBookingOpener(
        [&state, view](DayPageWindow &page) -> QWidget * {
            auto *form = new BookingWindow(state, *view, &page);
            if (!form->load())
                return nullptr; // it has closed itself
            form->show();
            return form;
        },
        [](QWidget *window) {
            if (auto *form = qobject_cast<BookingWindow *>(window))
                form->closeByPage();
            else
                window->close();
        });
}

void ShellWindows::openPrintFrom(DayPageWindow &w)
{
    w.setPrintHandler([](DayPageWindow &page, DayPageWindow::PrintChoice choice) { openPrintChoice(page, choice); });
}

void ShellWindows::openSkillViewerFrom(DayPageWindow &w, AppState &state)
{
    w.setSkillViewerOpener([&state](DayPageWindow &page, int column) -> QWidget * {
        auto *viewer = new SkillViewWindow(state, column, &page);
        viewer->show();
        return viewer;
    });
}

void ShellWindows::openSlotFinderFrom(DayPageWindow &w, AppState &state)
{
    w.setSlotFinderOpener([&state](DayPageWindow &page) -> QWidget * {
        try {
            auto *finder = new FindSlotWindow(state, page);
            finder->show();
            return finder;
        } catch (const AppError &e) {
            state.dialogs()->error(e, QStringLiteral("Find a Slot"));
            return nullptr;
        }
    });
}

QWidget *ShellWindows::templates(AppState &state) { return loadWindow<TemplatesWindow>(state); }
