#pragma once
#include <QDate>
#include <QObject>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <memory>

class AppState;
class Dialogs;
class DrawSurface;
class ImageSurface;
class PageSurface;
class QPrinter;
class TablePrint;

// The three printed schedules.
enum class Schedule { Daily, Details, Weekly };

// What the preview window shows above the picture and the paper prints in its title line.
struct ScheduleHeading {
    QString day;  // LblDay: the date heading
    QString date; // lblDate
    QString tech; // lblTech: the technician of a weekly schedule
    QString avail, used, start;
};

// One schedule's table and how it goes onto the preview picture, the printer or a PDF file, all
// drawn by the table renderer. The table is filled again from its source before every drawing,
// at a fit width taken from the surface drawn on, so paper of any size is filled and never
// clipped. The source grid itself is never changed.
class SchedulePrint : public QObject {
    Q_OBJECT
public:
    // Fills the table from the source window's grid; fitWidth <= 0 keeps the grid's widths.
    using Fill = std::function<void(TablePrint &table, float fitWidth)>;

    SchedulePrint(AppState &state, Schedule kind, Fill fill, QObject *parent = nullptr);
    ~SchedulePrint() override;

    Schedule kind() const { return m_kind; }
    QString caption() const; // "Print Preview - Daily Schedule Summary"
    QString title() const;   // "Daily Schedule"
    // The weekly schedule is always landscape.
    int orientation() const { return m_kind == Schedule::Weekly ? 2 : m_orientation; }
    void setOrientation(int o) { m_orientation = o == 2 ? 2 : 1; }
    bool fill() const { return m_fill; }
    void setFill(bool f) { m_fill = f; }
    TablePrint &table() { return *m_table; }

    // The preview picture, in twips: A4 in portrait, 16000 x 11907 in landscape.
    double pageWidth() const;
    double pageHeight() const;
    static constexpr double PreviewMargin = 285;
    static constexpr double FillAllowance = 570;

    // Draws the whole table onto the picture, which is cleared and sized to one page first and
    // grows by one page height, with a grey line, at every page break.
    void drawPreview(ImageSurface &picture);
    int previewPages() const { return m_previewPages; }

    // The table onto paper from the top of the current sheet: every sheet opens with the title
    // line (title, date, totals) and closes with "Page N of M". The document is left open.
    void drawPaper(PageSurface &paper, const ScheduleHeading &heading);
    int paperSheets() const { return m_sheets; }
    // The page layout of paper: the locale's paper size, this schedule's orientation.
    QPageLayout paperLayout() const;
    // Through the system's print dialog (printer, copies, pages). Without a default printer, says
    // so and offers the PDF file instead.
    void print(const ScheduleHeading &heading, const QDate &date);
    // The sheets onto a printer as the print dialog set it up, only those of its page range (a
    // range past the last sheet is said). Throws AppError when the printer fails.
    void printOn(std::unique_ptr<QPrinter> printer, const ScheduleHeading &heading);
    // Asks for a file name (suggested from the title and the date) and saves the pages there.
    // False when cancelled or failed (the failure is shown).
    bool saveAsPdf(const ScheduleHeading &heading, const QDate &date);
    void writePdf(const QString &path, const ScheduleHeading &heading);
    QString suggestedPdfName(const QDate &date) const; // "Daily Schedule 2026-12-07.pdf"

    static const QString NoPrinterText;
    // Followed by the file's full path once it is written.
    static const QString SavedPdfText;
    static const QString NothingInRangeText;

private:
    void onNewPage(DrawSurface *target, bool &positionSet, bool &cancel, int lastRow);
    // Fills the table for a table area from marginLeft to right; a table wider than that is
    // narrowed to it, filled or not, so nothing is drawn past the edge.
    void fillTable(double fitWidth, double marginLeft, double right, double marginTop, double marginBottom);
    void drawTable(DrawSurface &target);
    // The title line at the top of a sheet, wrapped where an item would pass the right edge;
    // returns where it ends.
    double drawHeading(PageSurface &paper);
    void drawSheetNumber(PageSurface &paper);

    AppState &m_state;
    Schedule m_kind;
    Fill m_source;
    std::unique_ptr<TablePrint> m_table;
    int m_orientation = 1;
    bool m_fill = false;
    int m_previewPages = 0;
    // The paper being drawn: its heading, where the table starts on each sheet, the sheets.
    ScheduleHeading m_heading;
    double m_tableTop = 0;
    int m_sheet = 0;
    int m_sheets = 0;
};
