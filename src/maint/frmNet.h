#pragma once
#include <QWidget>

struct AppState;
class QPushButton;

// The network installation window: the program's first window. On an installed station it hands
// over to the splash at once; otherwise it installs this station as file server or client.
class frmNet : public QWidget {
    Q_OBJECT
public:
    // Creates the first window: the splash when this station is installed, this window otherwise.
    // Returns the window shown, or null when the program ended.
    static QWidget *startUp(AppState &state);

    explicit frmNet(AppState &state, QWidget *parent = nullptr);
    bool installed() const { return m_installed; }

    void next();            // "Next": the installation procedure
    void printWindow();     // "Print"
    void exitProgram();     // "Exit"
    // Makes sure the server folder can be used; false when the program ended instead.
    bool PrepareServerFolder(const QString &path);

    static const QString InvalidPathText;

private:
    enum class Outcome { Again, Done, Ended };
    Outcome installServer();
    Outcome installClient();
    void showSplash();
    void fail();

    AppState &m_state;
    bool m_installed = false;
};
