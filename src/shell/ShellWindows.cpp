#include "shell/ShellWindows.h"

#include "booking/BookingDesk.h"
#include "booking/BookingWindow.h"
#include "booking/DayPageBooking.h"
#include "booking/FindSlotWindow.h"
#include "core/AppState.h"
#include "core/BookingCell.h"
#include "core/Dialogs.h"
#include "core/WindowLoad.h"
#include "core/WindowSwitcher.h"
#include "daypage/DayPageWindow.h"
#include "maint/NetworkWindow.h"
#include "print/DayPagePrint.h"
#include "print/ExportWindow.h"
#include "setup/SetupMenuWindow.h"
#include "setup/SkillViewWindow.h"
#include "setup/TemplatesWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/QuitKey.h"
#include "shell/SplashWindow.h"

#include <memory>

void ShellWindows::install(AppState &state)
{
    // What the station's booking windows share lives as long as the makers, so as the station.
    auto desk = std::make_shared<BookingDesk>();
    WindowMakers &windows = state.windows();
    windows.setMainMenu([](AppState &s) -> QWidget * { return MainMenuWindow::load(s); });
    windows.setSplash([](AppState &s) -> QWidget * { return loadWindow<SplashWindow>(s); });
    windows.setDayPage([desk](AppState &s) -> QWidget * {
        DayPageWindow *w = loadWindow<DayPageWindow>(s);
        if (w)
            DayPageBooking::eraseBookingsOn(w->page(), *desk);
        return w;
    });
    windows.setTemplateEditor(&ShellWindows::templates);
    windows.setSetupMenu([desk](AppState &s) -> QWidget * { return loadWindow<SetupMenuWindow>(s, *desk); });
    windows.setBookingWindow(
        [desk](AppState &s, QWidget *over, const BookingCell &cell) -> QWidget * {
            auto *page = qobject_cast<DayPageWindow *>(over);
            if (!page)
                return nullptr;
            // The page as the booking window sees it, kept as long as the window.
            auto view = std::make_shared<DayPageBooking>(page->page());
            auto *form = new BookingWindow(s, *view, *desk, cell, page);
            QObject::connect(form, &QObject::destroyed, [view] {});
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
    windows.setSkillViewer([](AppState &s, QWidget *over, int column, QPoint at) -> QWidget * {
        auto *viewer = new SkillViewWindow(s, column, at, over);
        viewer->show();
        return viewer;
    });
    windows.setSlotFinder([](AppState &s, QWidget *over) -> QWidget * {
        auto *page = qobject_cast<DayPageWindow *>(over);
        if (!page)
            return nullptr;
        try {
            auto *finder = new FindSlotWindow(s, *page);
            finder->show();
            return finder;
        } catch (const AppError &e) {
            s.dialogs()->error(e, QStringLiteral("Find a Slot"));
            return nullptr;
        }
    });
    windows.setExportWindow([](AppState &s, QWidget *over) -> QWidget * {
        auto *page = qobject_cast<DayPageWindow *>(over);
        if (!page)
            return nullptr;
        try {
            auto *window = new ExportWindow(s, page, page->page().record().date);
            window->show();
            return window;
        } catch (const AppError &e) {
            s.dialogs()->error(e, ExportWindow::Title);
            return nullptr;
        }
    });
    windows.setPrintView([](QWidget *over, int choice) {
        if (auto *page = qobject_cast<DayPageWindow *>(over))
            openPrintChoice(*page, DayPageWindow::PrintChoice(choice));
    });
    if (state.switcher())
        new QuitKey(state, state.switcher());
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

QWidget *ShellWindows::templates(AppState &state) { return loadWindow<TemplatesWindow>(state); }
