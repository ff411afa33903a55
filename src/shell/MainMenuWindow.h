#pragma once
#include "store/Recordset.h"

#include <QWidget>
#include <array>

class AppState;
class QAbstractButton;
class QPushButton;
class QRadioButton;

// The main menu: entries 1 to 5 and 7, chosen by Enter, Space, a mouse press or a top-row digit.
class MainMenuWindow : public QWidget {
    Q_OBJECT
public:
    enum Entry { Scheduler = 1, SetupPage = 2, Templates = 3, Backup = 4, Downsize = 5, Exit = 7 };

    // Loads the menu without showing it. When the station or the shared database cannot be
    // opened, shows the engine's description, ends the program and returns null.
    static MainMenuWindow *load(AppState &state);

    // Windows of entries 2 and 3 are made by the setup code, which registers them here; an entry
    // whose maker is not registered opens nothing.

    void choose(int entry);
    QRadioButton *entryButton(int entry) const;
    // True while the menu's two data sources hold the shared database open.
    bool holdsSharedDatabase() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    explicit MainMenuWindow(AppState &state);
    void openSharedDatabase();
    void releaseSharedDatabase();
    void openWindow(QWidget *next);
    void refuse(const QString &text);
    void startDownsize();
    void exitProcedure();
    void openReadme();

    AppState &m_state;
    DataSource m_appt;
    DataSource m_setup;
    std::array<QRadioButton *, 8> m_entries{};
    QPushButton *m_readme = nullptr;
};
