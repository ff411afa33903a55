#pragma once
#include "print/SchedulePrint.h"

#include <QDate>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class AppState;
class Database;
class PageStore;
class QLabel;
class QLineEdit;
class QToolBar;
class PrintPreviewWindow;

// What the three printable views share: the toolbar whose button prints, F11, Print
// (cmdPrint) and Close (cmdClosePrint), the date heading and the totals above the grid. Each
// view reads the shared database through its own connection.
class PrintView : public QMainWindow {
    Q_OBJECT
public:
    ~PrintView() override;

    // Print: the button, the toolbar and F11. Opens the view's preview.
    virtual void printSchedule() = 0;
    PrintPreviewWindow *preview() const;
    virtual ScheduleHeading heading() const;

protected:
    PrintView(AppState &state, const QString &name, const QString &title, QWidget *parent);
    // The grid below the heading.
    void setGrid(QWidget *grid);
    // Stores the column widths; called on Print and on closing.
    virtual void storeWidths() {}
    void closeEvent(QCloseEvent *event) override;
    // The preview over this view, reading fill from this view's grid.
    void openPreview(Schedule kind, SchedulePrint::Fill fill, const QDate &date);
    void showTotals(const QString &avail, const QString &used, const QString &start);

    AppState &m_state;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<PageStore> m_store;
    QLabel *m_lblCalDay = nullptr;
    QLabel *m_lblCalDate = nullptr;
    QLineEdit *m_txtS = nullptr;
    QLineEdit *m_txtU = nullptr;
    QLineEdit *m_txtA = nullptr;
    QString m_tech; // the technician of a weekly schedule

private:
    QToolBar *m_toolBar = nullptr;
    QPointer<PrintPreviewWindow> m_preview;
};
