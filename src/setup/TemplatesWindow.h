#pragma once
#include "setup/TemplateEditor.h"
#include "store/Database.h"

#include <QPointer>
#include <QWidget>

class AppState;
class GridView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class SkillsWindow;

// The template editor: the weekday templates of new day pages, Monday to Sunday, in a grid laid
// out like a day page, with the weekday's open/closed list, the floating edit box, single-cell and
// block Copy, Cut, Paste and Delete, and the skill editor of a technician (Alt + click on a
// column). The logic lives in TemplateEditor; this class wires the controls to it.
//
// The weekday shown and its edits stay while the skill editor is open and after it closes; the
// close box asks before dropping edits not yet stored.
class TemplatesWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the window's own connection to the shared database and shows Monday. Throws AppError.
    explicit TemplatesWindow(AppState &state, QWidget *parent = nullptr);
    ~TemplatesWindow() override;

    TemplateEditor &editor() { return *m_editor; }
    GridView *grid() const { return m_grid; }
    QWidget *skillEditor() const;

    // CmdFinish and F7: the weekday stored, then the next one, or after Sunday the review question.
    void next();
    void toggleHelp();
    // The pop-up menu's entries (Delete also the key).
    void copyCells();
    void cutCells();
    void pasteCells();
    void deleteCells();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // Pages still as they were made are deleted, so they are made again from the templates when
    // next opened; nothing a user wrote goes.
    void cleanUpPages();
    void showWeekday();
    void showMonday();
    void closedChosen(int index);
    void gridPressed(Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void gridReleased(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint &pos);
    void gridChar(QChar ch);
    void openEditBox(const QString &typed);
    void editTextChanged(const QString &text);
    void hideEditBox();
    void openSkillEditor(int row, int col);
    void closeSkillEditor();
    void focusGrid();
    bool storeDay();

    AppState &m_state;
    Database m_db;
    std::unique_ptr<TemplateEditor> m_editor;
    bool m_loading = true;
    bool m_activated = false;

    GridView *m_grid = nullptr;
    QLabel *m_lblCalDay = nullptr;
    QComboBox *m_openClosedCombo = nullptr;
    QCheckBox *m_closedCheck = nullptr;
    QPushButton *m_cmdFinish = nullptr;
    QLabel *m_lblHelp = nullptr;
    QLineEdit *m_txtEdit = nullptr;
    int m_editRow = -1;
    int m_editCol = -1;
    QMenu *m_mnuGrid = nullptr;
    QPointer<SkillsWindow> m_skills;
};
