#pragma once
#include "setup/OfficeSetup.h"

#include <QWidget>
#include <array>
#include <memory>

class AppState;
class Database;
class GridView;
class QLabel;
class QLineEdit;
class QPushButton;

// The office setup ("  General Setup"): the location, opening and closing times, slot length,
// lines per slot and technician count in boxes with their entry rules, the technicians' sites and
// names in Grid1 typed through a floating edit box, "Reset" and "Okay". Okay saves through
// OfficeSetup and then shows the day page or the template editor; the close box returns to the
// setup menu.
class OfficeSetupWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the shared database by the station's rule and reads the settings. Throws AppError.
    explicit OfficeSetupWindow(AppState &state, QWidget *parent = nullptr);
    ~OfficeSetupWindow() override;

    OfficeSetup &setup() { return *m_setup; }
    void cmdOkay();
    void cmdReset();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void showValues();
    QLineEdit *box(OfficeSetup::Field f) const { return m_boxes[f]; }
    int fieldOf(QObject *o) const;
    // The box's rule on leaving it; false when the focus went back to it.
    bool leaveBox(OfficeSetup::Field f);
    void enterInBox(OfficeSetup::Field f);
    bool arrowInBox(OfficeSetup::Field f, int key);
    void applyCount();
    void gridChar(QChar ch);
    void openEditBox(QChar typed);
    void hideEditBox();
    void refocus(QWidget *w);
    bool save();

    AppState &m_state;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<OfficeSetup> m_setup;
    std::array<QLineEdit *, OfficeSetup::FieldCount> m_boxes{};
    GridView *m_grid = nullptr;
    QLineEdit *m_txtEdit = nullptr;
    int m_editRow = -1;
    int m_editCol = -1;
    QLabel *m_lblOpen = nullptr;
    QLabel *m_lblClose = nullptr;
    QPushButton *m_okay = nullptr;
    QPushButton *m_reset = nullptr;
    bool m_centred = false;
    bool m_busy = false; // Okay or a count being applied: no focus rules meanwhile
};
