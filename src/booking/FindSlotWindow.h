#pragma once
#include "booking/SlotFinder.h"
#include "store/Database.h"

#include <QWidget>
#include <memory>

class AppState;
class DayPageWindow;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;

// "Find a Slot", over the day page: hours needed, an optional skill and technician, the first date
// and how many days to look. Find lists the first places where the job fits; choosing one checks
// its span again on the page as stored and opens that page with the current cell on the start
// slot, so Enter books it as usual. Nothing is claimed or written here.
class FindSlotWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int Places = 10;
    static const QString TakenText;

    // Opens its own connection to the shared database. Throws AppError.
    FindSlotWindow(AppState &state, DayPageWindow &page);
    ~FindSlotWindow() override;

    // Lists the places for what the boxes hold.
    void search();
    // The listed place of the index: checked again, then opened on the day page (this window
    // closes), or, when taken meanwhile, the list found again with a word why.
    void choose(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    AppState &m_state;
    DayPageWindow &m_page;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<PageStore> m_store;
    std::unique_ptr<SlotFinder> m_finder;
    SlotFinder::Query m_query; // of the list shown
    QVector<SlotFinder::Place> m_places;

    QDoubleSpinBox *m_txtHours = nullptr;
    QComboBox *m_cboSkill = nullptr;
    QComboBox *m_cboTech = nullptr;
    QDateEdit *m_txtFirst = nullptr;
    QSpinBox *m_txtDays = nullptr;
    QPushButton *m_cmdFind = nullptr;
    QTreeWidget *m_lstPlaces = nullptr;
    QLabel *m_lblStatus = nullptr;
    QPushButton *m_cmdOpen = nullptr;
};
