#pragma once
#include "store/Recordset.h"

#include <QWidget>

class AppState;
class QPlainTextEdit;
class QPushButton;

// The help text, from the program folder's db.mdb. Opened over the day page; closing it shows nothing.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(AppState &state, QWidget *parent = nullptr);

protected:
    bool event(QEvent *e) override;

private:
    DataSource m_data;
    QPlainTextEdit *m_text;
    QPushButton *m_exit;
};
