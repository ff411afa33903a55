#pragma once
#include "core/GridModel.h"
#include "print/PrintView.h"
#include "print/PrintedPages.h"

class GridView;

// The week view: one technician's week from a Monday, one column per day, from the week data
// the day page's print command read. Print opens the weekly schedule's preview.
class PrintWindow : public PrintView {
    Q_OBJECT
public:
    // Throws AppError when the shared database cannot be opened or read.
    PrintWindow(AppState &state, const WeekData &week, QWidget *parent = nullptr);

    GridModel &grid() { return m_grid; }
    GridView *gridView() const { return m_view; }
    void printSchedule() override;
    // The week's first day as the date heading, the technician beside it.
    ScheduleHeading heading() const override;

private:
    WeekData m_week;
    GridModel m_grid;
    GridView *m_view = nullptr;
};
