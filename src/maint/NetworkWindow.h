#pragma once
#include <QWidget>

class AppState;
class QPushButton;

// The network installation window: the program's first window on a station not yet installed.
// It installs this station as file server or client, then hands over to the splash the shell
// makes.
class NetworkWindow : public QWidget {
    Q_OBJECT
public:
    explicit NetworkWindow(AppState &state, QWidget *parent = nullptr);
    bool installed() const { return m_installed; }
    // On an installed station: true when its shared database is there. Otherwise says so and
    // asks whether to show this window again; on No the program ends.
    bool sharedDatabaseFound();

    void next();        // "Next": the installation procedure
    void printWindow(); // "Print"
    void exitProgram(); // "Exit"
    // Makes sure the server folder can be used; false when the program ended instead.
    bool prepareServerFolder(const QString &path);

    static const QString InvalidPathText;
    static const QString MissingSharedDatabaseText;

private:
    enum class Outcome { Again, Done, Ended };
    Outcome installServer();
    Outcome installClient();
    // True unless folder names a database server that cannot serve (said to the user).
    bool serverUsable(const QString &folder);
    void showSplash();
    void fail();

    AppState &m_state;
    bool m_installed = false;
};
