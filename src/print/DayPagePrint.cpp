#include "print/DayPagePrint.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "daypage/DayPage.h"
#include "print/DailyPrintWindow.h"
#include "print/PrintWindow.h"
#include "print/PrintedPages.h"
#include "print/RecordsWindow.h"
#include "store/AppError.h"

QWidget *openPrintChoice(DayPageWindow &dayPage, DayPageWindow::PrintChoice choice)
{
    DayPage &page = dayPage.page();
    AppState &state = page.state();
    PrintView *view = nullptr;
    try {
        switch (choice) {
        case DayPageWindow::PrintChoice::WeeklySchedule: {
            if (state.layout().pageDate.dayOfWeek() != Qt::Monday) {
                state.dialogs()->message(QStringLiteral("Please go to the Monday Page to print the weekly schedule"),
                                         QStringLiteral("Print Weekly Schedule"), Dialogs::Ok);
                return nullptr;
            }
            // The week is read from the stored pages: the page on screen is never reloaded.
            const int col = qMax(1, page.grid().col());
            view = new PrintWindow(state, readWeek(page.store(), state.layout().pageDate, col), &dayPage);
            break;
        }
        case DayPageWindow::PrintChoice::DailySummary:
            view = new DailyPrintWindow(state, state.layout().pageDate, &dayPage);
            break;
        case DayPageWindow::PrintChoice::DailyDetails: view = new RecordsWindow(state, &dayPage); break;
        }
    } catch (const AppError &e) {
        state.dialogs()->error(e, QStringLiteral("Print"));
        return nullptr;
    }
    view->show();
    view->raise();
    view->activateWindow();
    return view;
}
