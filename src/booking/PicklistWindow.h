#pragma once
#include "booking/Picklist.h"

#include <QPointer>
#include <QVector>
#include <QWidget>
#include <memory>

class AppState;
class Database;
class QLineEdit;
class QPushButton;
class BookingWindow;

// One of the six picklist editors (frmMainten, frmMenuItems, frmInternal, frmVehicle, frmMake,
// frmAddress). Pick mode, opened from a booking form: read-only entries, a press picks. Edit
// mode, opened from the setup menu: the entries are typed over and stored with "Save".
class PicklistWindow : public QWidget {
    Q_OBJECT
public:
    // booking: the form that picks go to; null in edit mode.
    PicklistWindow(AppState &state, PicklistKind kind, BookingWindow *booking, QWidget *parent = nullptr);
    ~PicklistWindow() override;

    PicklistKind kind() const { return m_list.kind(); }
    bool pickMode() const { return m_pickMode; }
    Picklist &list() { return m_list; }
    void setBookingForm(BookingWindow *booking);
    // Places the window for the mode: beside the booking form or centred on the screen.
    void place();
    // Really closes it, also a single-pick editor in pick mode.
    void unload();
    // In pick mode the keys work the list: Up and Down between a column's boxes, Enter picks as
    // a click does, Esc closes.
    void focusFirstBox();

    void cmdSave();
    void cmdInfo();

    static const QString ReadFailedText;

signals:
    // An editor in edit mode was closed: the setup menu shows itself again.
    void editClosed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void fill();
    void pressed(int column, int index);
    bool pickKey(QObject *watched, int key);
    void paintMarks();

    AppState &m_state;
    Picklist m_list;
    bool m_pickMode;
    QPointer<BookingWindow> m_booking;
    QVector<QVector<QLineEdit *>> m_boxes; // [column][index]
    QPushButton *m_save = nullptr;
    QPushButton *m_info = nullptr;
    bool m_loaded = false;
    bool m_unloading = false;
    bool m_marksStale = false;
};

// The editors of one station: loaded by their first show, kept while hidden after a pick.
class PicklistEditors {
public:
    ~PicklistEditors();
    // Shows the editor of kind: in pick mode for booking when one is given, else in edit mode. A
    // pick-mode editor, hidden or not, asked for in edit mode is loaded again in edit mode.
    PicklistWindow *show(AppState &state, PicklistKind kind, BookingWindow *booking = nullptr);
    PicklistWindow *find(PicklistKind kind) const;
    void unload(PicklistKind kind);

private:
    QPointer<PicklistWindow> m_windows[6];
};
