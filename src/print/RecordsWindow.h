#pragma once
#include "print/PrintView.h"
#include "print/RecordsGrid.h"

class QTableView;
class RecordsGridModel;
class TableQueryModel;

// The records view: the named bookings of the page date, by technician column and time slot,
// columns as wide as last left ("DWidth"). Print opens the daily details preview.
class RecordsWindow : public PrintView {
    Q_OBJECT
public:
    // Throws AppError when the shared database cannot be opened or read.
    explicit RecordsWindow(AppState &state, QWidget *parent = nullptr);
    ~RecordsWindow() override;

    TableQueryModel &records() { return *m_records; }
    QTableView *gridView() const { return m_view; }
    const DataGridLayout &layout() const { return m_layout; }
    void printSchedule() override;

protected:
    void storeWidths() override;

private:
    QDate m_date;
    DataGridLayout m_layout;
    std::unique_ptr<TableQueryModel> m_records; // Data1
    RecordsGridModel *m_model = nullptr;
    QTableView *m_view = nullptr;
};
