#pragma once
#include <QWidget>
#include <array>

class AppState;
class BookingDesk;
class QRadioButton;

// The setup menu: the office setup, the colour captions, the six picklist editors (always in
// edit mode), the information sheet, and back to the main menu. Entries are chosen by a mouse
// press, Enter or Space on them, or a top-row digit 1 to 9 anywhere in the window.
class SetupMenuWindow : public QWidget {
    Q_OBJECT
public:
    enum Entry {
        General = 1,
        LabelColors,
        DefaultAddress,
        Maintenance,
        MenuItems,
        Internal,
        VehicleModels,
        VehicleMakes,
        InfoSheet,
        Exit
    };

    // Reads serverFolder by the shared-database rule. Throws AppError.
    // The picklist entries open the station's editors, kept loaded between uses in its desk.
    SetupMenuWindow(AppState &state, BookingDesk &desk, QWidget *parent = nullptr);
    BookingDesk &desk() const { return m_desk; }

    // The windows the menu opened come back to it by their close box.
    static void showAgain(AppState &state);

    void choose(int entry);
    QRadioButton *entryButton(int entry) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void openPicklist(int entry);
    void comeBack();
    void replaceBy(QWidget *next);
    void backToMainMenu();

    AppState &m_state;
    BookingDesk &m_desk;
    std::array<QRadioButton *, Exit + 1> m_entries{};
};
