#pragma once
#include "store/Recordset.h"

#include <QWidget>
#include <functional>

class AppState;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Backs the shared database up to a folder the user names and restores it, or an earlier back-up
// kept there, from it.
class BackupWindow : public QWidget {
    Q_OBJECT
public:
    explicit BackupWindow(AppState &state, QWidget *parent = nullptr);

    void backup();
    void restore();
    void exitWindow();

    static const QString ReminderText;
    static const QString RestoreQuestion;
    static const QString LiveFolderText;

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void openSetup();
    void closeSetup();
    // Runs the steps in order; a failing step asks "<description>. Retry?" and runs again on Yes.
    // Returns false when the user gave up.
    bool runSteps(const std::vector<std::function<void()>> &steps);
    void giveUp();
    void setBusy(bool busy);
    // The platform's folder chooser fills box.
    void browse(QLineEdit *box);
    // The back-ups the restore folder holds, newest first.
    void listBackups();
    // The number of earlier back-ups to keep, into this station's file; a failure is said.
    void storeKeptBackups();

    AppState &m_state;
    DataSource m_setup;
    QLineEdit *m_txtBackup;
    QLineEdit *m_txtRestore;
    QComboBox *m_backups;
    QSpinBox *m_keep;
    QPushButton *m_cmdBackup;
    QPushButton *m_cmdRestore;
    QPushButton *m_cmdExit;
    QLabel *m_lblBacking;
    QLabel *m_lblBackup;
    QLabel *m_lblBackupComplete;
    QLabel *m_lblRestoring;
    QLabel *m_lblRestoreComplete;
    bool m_remind = true;
    bool m_leaving = false;
};
