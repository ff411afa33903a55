#pragma once
#include "print/SchedulePrint.h"

#include <QDate>
#include <QWidget>
#include <functional>
#include <memory>

class AppState;
class Database;
class ImageSurface;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// The print preview of one schedule (PrintWindowDaily, PrintWindowDetails or PrintWindowWeekly): the
// pages as one long picture drawn by the same renderer as the paper, a grey line at each page
// break, scrolled in steps of 120 twips; Refresh, the orientation (daily and details), the
// column fill, Print, and the same pages saved as a PDF file. The daily and details previews
// keep their orientation and fill choice in the office settings.
class PrintPreviewWindow : public QWidget {
    Q_OBJECT
public:
    using Heading = std::function<ScheduleHeading()>;
    // fill reads the source window's grid; heading its date heading and totals.
    PrintPreviewWindow(AppState &state, Schedule kind, SchedulePrint::Fill fill, Heading heading, const QDate &date,
                       QWidget *parent = nullptr);
    ~PrintPreviewWindow() override;

    SchedulePrint &schedule() { return *m_print; }
    // What the picture shows now.
    QImage picture() const;
    int pages() const { return m_print->previewPages(); }

    void refresh();
    void switchOrientation();
    void print();
    void saveAsPdf();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Picture;
    void readSettings();
    void placeScrollBars();
    void setScrollRanges();
    void scrollPicture();
    void showOrientation();

    AppState &m_state;
    Schedule m_kind;
    Heading m_heading;
    QDate m_date;
    std::unique_ptr<SchedulePrint> m_print;
    std::unique_ptr<ImageSurface> m_surface;
    std::unique_ptr<Database> m_db;
    bool m_settingsRead = false;

    QLabel *m_lblDay = nullptr;
    QLabel *m_lblDate = nullptr;
    QLabel *m_lblTech = nullptr;
    QLineEdit *m_txtS = nullptr;
    QLineEdit *m_txtA = nullptr;
    QLineEdit *m_txtU = nullptr;
    QPushButton *m_cmdRefresh = nullptr;
    QPushButton *m_cmdOrientation = nullptr;
    QCheckBox *m_chkColWidth = nullptr;
    QPushButton *m_cmdPrint = nullptr;
    QPushButton *m_cmdPdf = nullptr;
    QWidget *m_picScroll = nullptr;
    Picture *m_picTarget = nullptr;
    QScrollBar *m_hscScroll = nullptr;
    QScrollBar *m_vscScroll = nullptr;
};
