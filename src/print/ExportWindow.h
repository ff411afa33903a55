#pragma once
#include "print/BookingExporter.h"
#include "store/Database.h"

#include <QWidget>
#include <memory>

class AppState;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Export", over the day page: the bookings of a range of dates, of every technician or one, as
// CSV or iCalendar (one calendar per technician when asked) into a file. Export writes the file
// and says how many bookings went out; nothing in the database is written.
class ExportWindow : public QWidget {
    Q_OBJECT
public:
    static const QString Title;

    // Opens its own connection to the shared database; shown: the date the day page shows, where
    // the range starts. Throws AppError.
    ExportWindow(AppState &state, QWidget *over, const QDate &shown);
    ~ExportWindow() override;

    // Exports what the boxes hold; true when written.
    bool exportBookings();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    ExportOrder order() const;
    void formatChanged();
    void browse();

    AppState &m_state;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<BookingExporter> m_exporter;

    QDateEdit *m_txtFrom = nullptr;
    QDateEdit *m_txtTo = nullptr;
    QComboBox *m_cboTech = nullptr;
    QRadioButton *m_optCsv = nullptr;
    QRadioButton *m_optIcs = nullptr;
    QCheckBox *m_chkPerTech = nullptr;
    QLineEdit *m_txtFile = nullptr;
    QLabel *m_lblStatus = nullptr;
};
