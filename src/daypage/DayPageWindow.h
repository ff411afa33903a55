#pragma once
#include "core/BookingCell.h"
#include "daypage/CalendarModel.h"
#include "daypage/DayPage.h"
#include "daypage/NameSearch.h"

#include <QMainWindow>
#include <QPointer>
#include <QVector>
#include <functional>
#include <memory>

class AppState;
class GridView;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QAction;
class QBoxLayout;
class QLayout;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolBar;

// The day page window: the page grid Grid1 of one date, its headings and totals, the month
// calendar with its lists, the name search. The page itself lives in DayPage; this class wires
// the controls to it.
class DayPageWindow : public QMainWindow {
    Q_OBJECT
public:
    // Opens the window's own connection to the shared database and the page of today.
    // Throws AppError when the shared database cannot be opened.
    explicit DayPageWindow(AppState &state, QWidget *parent = nullptr);
    ~DayPageWindow() override;

    DayPage &page() { return *m_page; }
    GridView *grid() const { return m_grid; }

    // Called by the booking record window.
    void refreshGrid() { m_page->refreshGrid(); }
    void saveGridData() { m_page->saveGridData(); }
    void setCellColor() { m_page->setCellColor(); }
    void sumTotal() { m_page->sumTotal(); }
    void txtTotal() { m_page->txtTotal(); }

    // Windows opened over the day page, through the makers the shell set on the station: the
    // booking record window (Enter on a time slot), the skill viewer of a column (right button)
    // and Find a Slot. A left click in the grid and the closing of the day page close the first
    // two, the booking window through its closer (which may keep it open to save what was typed).
    void openSlotFinder();
    QWidget *slotFinder() const { return m_slotFinder; }
    // Page, Export...: the export window over this page, raised when it is open already.
    void openExport();
    // "Week at a Glance" from the page shown; its double click opens a day here.
    void openWeekGlance();
    QWidget *weekGlance() const { return m_weekGlance; }
    // "Customer History", searched for text when it is given; a booking chosen there opens here
    // with its cell current.
    void openCustomerHistory(const QString &text = QString());
    QWidget *customerHistory() const { return m_customerHistory; }
    QWidget *bookingWindow() const { return m_bookingWindow; }
    QWidget *skillViewer() const { return m_skillViewer; }
    // Room the skill viewer is given to the left of a column far to the right, in twips.
    static constexpr int SkillViewerWidth = 3600;
    // How often another station's commit is looked for (the engine's data version, cheap when none).
    static constexpr int LiveRefreshMs = 1000;

    // The print options panel's "Print", given the ticked choice; without one it is disabled.
    enum class PrintChoice { WeeklySchedule = 0, DailySummary = 1, DailyDetails = 2 };

    // Grid keys and mouse.
    void gridEnter();
    void gridChar(QChar ch);
    void gridLeftPressed();
    void gridRightReleased(const QPoint &pos);
    // The edit box over the current cell of a typed row; typed, if not empty, is its first keystroke.
    void openEditBox(const QString &typed);
    // Tab or Enter in the edit box: the text stored into its cell, the box hidden.
    void commitEdit();
    void hideEditBox();

    // Edit menu and toolbar: on the text box with the focus, through the system clipboard.
    void editCut();
    void editCopy();
    void editPaste();
    void editDelete();

    // A toolbar button by its key.
    void toolbarButton(const QString &key);
    QAction *toolbarAction(const QString &key) const;

    void switchMemo();
    void showHelp();
    void showPrintOptions();
    void openInfoDoc();

    // Window activation: page refilled, current cell set, grid focused.
    void activatePage();

    // Navigation.
    void openToday();
    void openTypedDate();
    // The page of a date with the current cell on (row, col), the grid focused, so Enter books
    // it as usual; with hours, a new booking there starts with that job time. False when the date
    // cannot be shown; the window that asked titles the message.
    bool openCell(const QDate &d, int row, int col, float hours = 0,
                  const QString &asker = QStringLiteral("Find a Slot"));
    void searchName();
    void toggleCalendar();
    bool calendarShown() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The print command and Find a Slot are enabled once the shell has given their windows.
    void enableOpeners();
    enum class Mark { Focused, Unfocused, Opened };

    void buildControls();
    void buildMenus();
    // The editing parts: edit box, memos, booking number, legend, print options, toolbar, keys.
    void buildEditControls(QWidget *central, QLayout *outer, QBoxLayout *bottom);
    void buildToolbar();
    void buildEditMenus();
    bool editingEvent(QObject *watched, QEvent *event);
    void fillLegend();
    void placeLegend();
    static constexpr int LegendLineHeight = 22;
    void showPageMemo();
    void showOfficeTexts();
    void memosRead(const QString &fixedMemo, const QString &dailyMemo);
    void memoFocusIn(QWidget *box);
    void memoFocusOut(QWidget *box);
    bool storeDailyMemo();
    bool storeFixedMemo();
    bool storeBookNo();
    // A box filled from the database: what it shows is what a store compares with.
    void showDailyMemo(const PageKey &page, const QString &text);
    void showFixedMemo(const QString &text);
    void showBookNo(const QString &text);
    void storeEditedTexts();
    void closeOpenedWindows();
    bool bookingWindowOpen() const;
    void cleanEditText();
    QWidget *focusedTextBox() const;
    void setPageLock(bool on);
    void fillLists();
    void onFilled();
    void onTotals();
    void showClosedState();
    void pollChanges();

    // Opening a date: the page, then the calendar and lists brought to it. False when refused.
    bool openDate(const QDate &d, bool rebuildCalendar);
    bool refuseOutOfRange(const QDate &d, const QString &title);
    void rebuildCalendar(const QDate &d);
    void paintDayLabels();
    void setMark(Mark m);
    void syncLists(const QDate &d);
    void dayLabelClicked(int index);
    void openSelectedDay();
    void openDay(const QDate &d);
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
    QCheckBox *m_closedCheck = nullptr;
    QCheckBox *m_pageLockCheck = nullptr;
    QFrame *m_calendarPanel = nullptr;
    QFrame *m_daysFrame = nullptr;
    QVector<QLabel *> m_lblDay;
    // Indexed as their object names Combo_0..2 number them.
    enum { StatusCombo, MonthCombo, YearCombo, CalendarComboCount };
    QComboBox *m_calendarCombos[CalendarComboCount] = {};
    QPushButton *m_cmdToday = nullptr;
    QFrame *m_answerBox = nullptr;
    QLabel *m_lblMessage = nullptr;
    QPushButton *m_cmdYes = nullptr;
    QPushButton *m_cmdNo = nullptr;
    // Editing.
    QLineEdit *m_txtEdit = nullptr;
    int m_editRow = -1;
    int m_editCol = -1;
    bool m_cleaningEdit = false;
    QPlainTextEdit *m_txtMemo = nullptr;
    QPlainTextEdit *m_txtFixedMemo = nullptr;
    QLabel *m_lblMemo = nullptr;
    QLabel *m_lblFixedMemo = nullptr;
    QPushButton *m_cmdMemo = nullptr;
    PageKey m_memoPage; // the page the daily memo box holds the memo of
    // The texts the boxes last showed from the database.
    QString m_memoBase, m_fixedMemoBase, m_bookNoBase;
    QLineEdit *m_txtBook = nullptr;
    QWidget *m_legend = nullptr;
    QVector<QLabel *> m_legendSwatches;
    QVector<QLabel *> m_legendCaptions;
    QFrame *m_printPanel = nullptr;
    QRadioButton *m_printChoice[3] = {};
    QPushButton *m_cmdPrint = nullptr;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_mnuEdit = nullptr;
    QMenu *m_mnuHelp = nullptr;
    QPointer<QWidget> m_bookingWindow;
    QPointer<QWidget> m_skillViewer;
    QPointer<QWidget> m_slotFinder;
    QPointer<QWidget> m_exportWindow;
    QPointer<QWidget> m_weekGlance;
    QPointer<QWidget> m_customerHistory;
    // The slot Find a Slot opened and the hours it was asked for, until Enter there uses them.
    std::optional<BookingCell> m_hoursAsked;

    QMenu *m_mnuPage = nullptr;
    QMenu *m_mnuNavigate = nullptr;
    QMenu *m_mnuSearch = nullptr;
};
