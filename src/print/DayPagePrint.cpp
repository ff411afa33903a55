#include "print/DayPagePrint.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "daypage/DayPage.h"
#include "print/PrintedPages.h"
#include "print/frmDaily.h"
#include "print/frmPrint.h"
#include "print/frmRecords.h"
#include "store/AppError.h"

QWidget *OpenPrintChoice(frmAppt &dayPage, frmAppt::PrintChoice choice)
{
    DayPage &page = dayPage.page();
    AppState &state = page.state();
    PrintView *view = nullptr;
    try {
        switch (choice) {
        case frmAppt::PrintChoice::WeeklySchedule: {
            if (state.layout().PageDate.dayOfWeek() != Qt::Monday) {
                state.dialogs()->message(QStringLiteral("Please go to the Monday Page to print the weekly schedule"),
                                         QStringLiteral("Print Weekly Schedule"), Dialogs::Ok);
                return nullptr;
            }
            // The week is read from the stored pages: the page on screen is never reloaded.
            const int col = qMax(1, page.grid().col());
            view = new frmPrint(state, ReadWeek(page.store(), state.layout().PageDate, col), &dayPage);
            break;
        }
        case frmAppt::PrintChoice::DailySummary: view = new frmDaily(state, state.layout().PageDate, &dayPage); break;
        case frmAppt::PrintChoice::DailyDetails: view = new frmRecords(state, &dayPage); break;
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
