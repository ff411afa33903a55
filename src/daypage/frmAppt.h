#pragma once
#include "daypage/CalendarModel.h"
#include "daypage/DayPage.h"
#include "daypage/NameSearch.h"

#include <QMainWindow>
#include <QVector>
#include <memory>

struct AppState;
class GridView;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// The day page window: the page grid Grid1 of one date, its headings and totals, the month
// calendar with its lists, the name search. The page itself lives in DayPage; this class wires
// the controls to it.
class frmAppt : public QMainWindow {
    Q_OBJECT
public:
    // Opens the window's own connection to the shared database and the page of today.
    // Throws AppError when the shared database cannot be opened.
    explicit frmAppt(AppState &state, QWidget *parent = nullptr);
    ~frmAppt() override;

    DayPage &page() { return *m_page; }
    GridView *grid() const { return m_grid; }

    // Called by the booking record window.
    void RefreshGrid() { m_page->RefreshGrid(); }
    void SaveGridData() { m_page->SaveGridData(); }
    void SumTotal() { m_page->SumTotal(); }
    void TxtTotal() { m_page->TxtTotal(); }

    // Window activation: page refilled, current cell set, grid focused.
    void activatePage();

    // Navigation.
    void openToday();
    void openTypedDate();
    void searchName();
    void ToggleCalendar();
    bool calendarShown() const;

    // Menus, for the parts of the window built elsewhere to add their entries to.
    QMenu *pageMenu() const { return m_mnuPage; }
    QMenu *navigateMenu() const { return m_mnuNavigate; }
    QMenu *searchMenu() const { return m_mnuSearch; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Mark { Focused, Unfocused, Opened };

    void buildControls();
    void buildMenus();
    void fillLists();
    void onFilled();
    void onTotals();

    // Opening a date: the page, then the calendar and lists brought to it. False when refused.
    bool openDate(const QDate &d, bool rebuildCalendar);
    bool refuseOutOfRange(const QDate &d, const QString &title);
    void rebuildCalendar(const QDate &d);
    void paintDayLabels();
    void setMark(Mark m);
    void syncLists(const QDate &d);
    void dayLabelClicked(int index);
    void openSelectedDay();
    bool calendarKey(int key);
    void listChanged();
    void statusChanged();
    void focusGrid();

    void continueSearch();
    void showAnswer(NameSearch::Answer a);
    void answerYes();
    void answerNo();

    AppState &m_state;
    std::unique_ptr<DayPage> m_page;
    CalendarModel m_calendar;
    std::unique_ptr<NameSearch> m_search;
    Mark m_mark = Mark::Unfocused;
    int m_answerState = 0; // 1: found, 2: finished
    bool m_syncingLists = false;
    bool m_activated = false;
    bool m_backFromOtherWindow = false;

    GridView *m_grid = nullptr;
    QLabel *m_lblCalDay = nullptr;
    QLabel *m_lblCalDate = nullptr;
    QLineEdit *m_txtS = nullptr;
    QLineEdit *m_txtU = nullptr;
    QLineEdit *m_txtA = nullptr;
    QCheckBox *m_check1 = nullptr;
    QCheckBox *m_check2 = nullptr;
    QFrame *m_calendarPanel = nullptr;
    QFrame *m_picture2 = nullptr;
    QVector<QLabel *> m_lblDay;
    QComboBox *m_combo[3] = {};
    QPushButton *m_cmdToday = nullptr;
    QFrame *m_answerBox = nullptr;
    QLabel *m_lblMessage = nullptr;
    QPushButton *m_cmdYes = nullptr;
    QPushButton *m_cmdNo = nullptr;
    QMenu *m_mnuPage = nullptr;
    QMenu *m_mnuNavigate = nullptr;
    QMenu *m_mnuSearch = nullptr;
};
