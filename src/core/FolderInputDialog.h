#pragma once
#include <QDialog>

class Dialogs;
class QLineEdit;

// An input box for a folder: the prompt, the folder typed or chosen with Browse (the platform's
// folder chooser, asked through the Dialogs it is given), OK and Cancel. text() is what the box
// holds, as typed; the caller settles it into a path.
class FolderInputDialog : public QDialog {
    Q_OBJECT
public:
    FolderInputDialog(Dialogs &dialogs, const QString &prompt, const QString &title, const QString &defaultText,
                      QWidget *parent = nullptr);
    QString text() const;
    void browse(); // "Browse..."

private:
    Dialogs &m_dialogs;
    QLineEdit *m_folder;
};
