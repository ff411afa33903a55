#pragma once
#include "store/Recordset.h"

#include <QWidget>

class AppState;
class QPlainTextEdit;
class QPushButton;

// Shows the readme, then the licence agreement, then returns to the main menu. Reads the
// program folder's db.mdb, not the shared one.
class ReadmeWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReadmeWindow(AppState &state, QWidget *parent = nullptr);
    // The viewer, or null after saying why the texts cannot be read; the caller stays as it is.
    static ReadmeWindow *open(AppState &state);
    void next(); // the button

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void backToMenu();

    AppState &m_state;
    DataSource m_data;
    QPlainTextEdit *m_text;
    QPushButton *m_button;
};
