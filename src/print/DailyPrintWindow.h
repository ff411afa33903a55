#pragma once
#include "core/GridModel.h"
#include "print/PrintView.h"

class GridView;

// The day view: the page of PrintDate laid out like the day page, its columns as wide as
// last left ("PWidth"). Print opens the daily schedule's preview.
class DailyPrintWindow : public PrintView {
    Q_OBJECT
public:
    // Throws AppError when the shared database cannot be opened or read.
    DailyPrintWindow(AppState &state, const QDate &date, QWidget *parent = nullptr);

    GridModel &grid() { return m_grid; }
    GridView *gridView() const { return m_view; }
    void printSchedule() override;

protected:
    void storeWidths() override;

private:
    QDate m_date;
    GridModel m_grid;
    GridView *m_view = nullptr;
};
