#include "shell/ShellWindows.h"

#include "booking/DayPageBooking.h"
#include "booking/frmBooking.h"
#include "booking/frmFindSlot.h"
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/WindowLoad.h"
#include "core/WindowSwitcher.h"
#include "daypage/frmAppt.h"
#include "maint/frmNet.h"
#include "print/DayPagePrint.h"
#include "setup/frmSetupMenu.h"
#include "setup/frmSkillView.h"
#include "setup/frmTemplates.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"

#include <memory>

void ShellWindows::install(AppState &state)
{
    state.windows().setMainMenu([](AppState &s) -> QWidget * { return frmMain::load(s); });
    state.windows().setSplash([](AppState &s) -> QWidget * { return LoadWindow<frmSplash>(s); });
    state.windows().setDayPage([](AppState &s) -> QWidget * { return dayPage(s); });
    state.windows().setTemplateEditor(&ShellWindows::templates);
    state.windows().setSetupMenu([](AppState &s) -> QWidget * { return LoadWindow<frmSetupMenu>(s); });
}

QWidget *ShellWindows::startUp(AppState &state)
{
    frmNet *net = LoadWindow<frmNet>(state);
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

frmAppt *ShellWindows::dayPage(AppState &state)
{
    frmAppt *w = LoadWindow<frmAppt>(state);
    if (w) {
        openBookingsFrom(*w, state);
        openPrintFrom(*w);
        openSkillViewerFrom(*w, state);
        openSlotFinderFrom(*w, state);
    }
    return w;
}

void ShellWindows::openBookingsFrom(frmAppt &w, AppState &state)
{
    // The page as the booking window sees it; it lives as long as the opener, so as long as the
    // day page, which closes its booking window first.
    auto view = std::make_shared<DayPageBooking>(w.page());
    DayPageBooking::eraseBookingsOn(w.page());
    w.setBookingOpener(
        [&state, view](frmAppt &page) -> QWidget * {
            auto *form = new frmBooking(state, *view, &page);
            if (!form->load())
                return nullptr; // it has closed itself
            form->show();
            return form;
        },
        [](QWidget *window) {
            if (auto *form = qobject_cast<frmBooking *>(window))
                form->closeByPage();
            else
                window->close();
        });
}

void ShellWindows::openPrintFrom(frmAppt &w)
{
    w.setPrintHandler([](frmAppt &page, frmAppt::PrintChoice choice) { OpenPrintChoice(page, choice); });
}

void ShellWindows::openSkillViewerFrom(frmAppt &w, AppState &state)
{
    w.setSkillViewerOpener([&state](frmAppt &page, int column) -> QWidget * {
        auto *viewer = new frmSkillView(state, column, &page);
        viewer->show();
        return viewer;
    });
}

void ShellWindows::openSlotFinderFrom(frmAppt &w, AppState &state)
{
    w.setSlotFinderOpener([&state](frmAppt &page) -> QWidget * {
        try {
            auto *finder = new frmFindSlot(state, page);
            finder->show();
            return finder;
        } catch (const AppError &e) {
            state.dialogs()->error(e, QStringLiteral("Find a Slot"));
            return nullptr;
        }
    });
}

QWidget *ShellWindows::templates(AppState &state) { return LoadWindow<frmTemplates>(state); }
