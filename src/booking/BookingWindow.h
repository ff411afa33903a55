#pragma once
#include "booking/BookingEntries.h"
#include "booking/Picklist.h"
#include "core/BookingCell.h"
#include "store/CustomerStore.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class AppState;
class CustomerCompleter;
class BookingFlow;
class BookingPage;
class QComboBox;
class QLabel;
class QLineEdit;
class BookingDesk;
class QPlainTextEdit;
class QToolBar;

// "Booking Record": the booking record of one cell, opened over the day page. The window only
// wires its controls to a BookingFlow; the record, the hours and the span are the flow's.
class BookingWindow : public QWidget {
    Q_OBJECT
public:
    // A known customer chosen from the look-up: their details in the form, nothing saved.
    void fillCustomer(const CustomerStore::Customer &c);
    CustomerCompleter *customers() const { return m_customers; }
    // The record of cell on page, the day page of it; desk is the station's paste buffer and
    // picklist editors.
    BookingWindow(AppState &state, BookingPage &page, BookingDesk &desk, const BookingCell &cell,
                  QWidget *parent = nullptr);
    ~BookingWindow() override;

    // The load steps. False when the record could not be opened: the form has closed itself.
    bool load();

    // Public routines called by the picklist editors and the colour buttons.
    void totalTime();
    void shadeCells();
    // A pick from a picklist editor: the texts go into the form like typing.
    void applyPick(const Picklist::Pick &pick);

    // A close asked by the day page (a click in its grid, its own closing): as Esc, so what was
    // typed is not dropped without the save question. The form may stay open (a refused save).
    void closeByPage();

    BookingEntries entries() const;
    void setEntries(const BookingEntries &e);
    BookingFlow &flow() { return *m_flow; }

signals:
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void placeOnScreen(QPoint at);
    void showHeading();
    // The customer shown searched in the day page's Customer History.
    void openHistory();
    void fillBooking();
    void paint();
    void activated();
    void act(int outcome);
    void finish();
    void showPicklist(PicklistKind kind);
    // The picklist a field opens, none for a field without one.
    static std::optional<PicklistKind> picklistOf(const QObject *field);
    void setEntry(BookingEntry::Id id, const QString &text);
    QString entry(BookingEntry::Id id) const;
    void printImage();

    void cmdSave();
    void cmdCopy();
    void cmdCut();
    void cmdPaste();
    void cmdDelete();
    void exitForm();

    AppState &m_state;
    BookingPage &m_page;
    BookingDesk &m_desk;
    const BookingCell m_cell;
    std::unique_ptr<BookingFlow> m_flow;
    CustomerCompleter *m_customers = nullptr;

    std::array<QLineEdit *, BookingEntry::Count> m_edits{};
    QComboBox *m_drop = nullptr;
    QComboBox *m_prom = nullptr;
    QComboBox *m_pay = nullptr;
    QPlainTextEdit *m_comments = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_heading = nullptr;
    bool m_programClose = false;
    bool m_finished = false;
    bool m_inCloseEvent = false;
};
