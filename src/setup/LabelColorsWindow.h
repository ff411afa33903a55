#pragma once
#include <QVector>
#include <QWidget>
#include <memory>

class AppState;
class Database;
class QLineEdit;
class QPushButton;

// The colour legend editor ("Label Colors"): eight caption boxes Text1_0 to Text1_7, each beside
// its sample Image1_i, and "Save". The day page shows the captions the next time it is shown.
// The close box returns to the setup menu.
class LabelColorsWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the shared database by the station's rule and reads the captions. Throws AppError.
    explicit LabelColorsWindow(AppState &state, QWidget *parent = nullptr);
    ~LabelColorsWindow() override;

    void cmdSave();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    AppState &m_state;
    std::unique_ptr<Database> m_db;
    QVector<QLineEdit *> m_captionEdits;
    QPushButton *m_save = nullptr;
};
