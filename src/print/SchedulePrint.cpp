#include "print/SchedulePrint.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "print/DrawSurface.h"
#include "print/TablePrint.h"
#include "store/AppError.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

const QString SchedulePrint::NoPrinterText = QStringLiteral("No default printer is installed.");
const QString SchedulePrint::SavedPdfText = QStringLiteral("The schedule was saved as ");
const QString SchedulePrint::NothingInRangeText =
    QStringLiteral("Nothing was printed: the pages asked for start at page %1, but the schedule has %2 page(s). "
                   "Print again with pages within that number.");

namespace {
const QColor PageLineColor(0x80, 0x80, 0x80);
} // namespace

SchedulePrint::SchedulePrint(AppState &state, Schedule kind, Fill fill, QObject *parent)
    : QObject(parent), m_state(state), m_kind(kind), m_source(std::move(fill)),
      m_table(std::make_unique<TablePrint>(state.dialogs()))
{
    connect(m_table.get(), &TablePrint::newPage, this, &SchedulePrint::onNewPage);
}

SchedulePrint::~SchedulePrint() = default;

QString SchedulePrint::caption() const
{
    switch (m_kind) {
    case Schedule::Daily: return QStringLiteral("Print Preview - Daily Schedule Summary");
    case Schedule::Details: return QStringLiteral("Print Preview - Daily Schedule Details");
    case Schedule::Weekly: break;
    }
    return QStringLiteral("Print Preview - Weekly Schedule");
}

QString SchedulePrint::title() const
{
    switch (m_kind) {
    case Schedule::Daily: return QStringLiteral("Daily Schedule");
    case Schedule::Details: return QStringLiteral("Daily Details Schedule");
    case Schedule::Weekly: break;
    }
    return QStringLiteral("Weekly Schedule");
}

double SchedulePrint::pageWidth() const { return orientation() == 2 ? 16000 : 11907; }
double SchedulePrint::pageHeight() const { return orientation() == 2 ? 11907 : 16840; }

void SchedulePrint::fillTable(double fitWidth, double marginLeft, double right, double marginTop, double marginBottom)
{
    m_source(*m_table, m_fill ? float(fitWidth) : -1.0f);
    m_table->setMarginBottom(float(marginBottom));
    m_table->setMarginLeft(float(marginLeft));
    m_table->setMarginTop(float(marginTop));
    // Centred on the page; the source grid keeps its own alignment.
    m_table->setColAlignment(-1, 1);
    double total = 0;
    for (int c = 0; c < m_table->colCount(); ++c)
        total += m_table->colWidth(c);
    // A pixel to spare for the rounding of each column's edges.
    const double room = right - marginLeft - 15;
    if (total > room && room > 0)
        for (int c = 0; c < m_table->colCount(); ++c)
            m_table->setColWidth(c, float(m_table->colWidth(c) * room / total));
}

void SchedulePrint::drawTable(DrawSurface &target)
{
    target.setCurrentY(m_table->marginTop());
    // The details print has no cell colours.
    m_table->setNoFill(m_kind == Schedule::Details);
    m_table->drawTable(target, 0, 1);
    m_table->setNoFill(false);
}

void SchedulePrint::drawPreview(ImageSurface &picture)
{
    picture.setSizeTwips(pageWidth(), pageHeight());
    picture.cls();
    m_previewPages = 1;
    fillTable(picture.widthTwips() - FillAllowance, PreviewMargin, picture.widthTwips() - PreviewMargin, PreviewMargin,
              PreviewMargin);
    drawTable(picture);
}

void SchedulePrint::onNewPage(DrawSurface *target, bool &positionSet, bool &, int)
{
    if (target->isPrinter()) {
        auto *paper = static_cast<PageSurface *>(target);
        // The table goes on in the font it was drawing with.
        const QFont tableFont = paper->currentFont();
        drawSheetNumber(*paper);
        paper->newPage();
        ++m_sheet;
        drawHeading(*paper);
        paper->setFont(tableFont);
        paper->setCurrentX(0);
        paper->setCurrentY(m_tableTop);
        positionSet = true;
        return;
    }
    // The preview is one long picture: each page one page height, a grey line between them.
    auto *picture = static_cast<ImageSurface *>(target);
    const double bottom = picture->heightTwips();
    picture->setSizeTwips(picture->widthTwips(), bottom + pageHeight());
    picture->setCurrentY(bottom);
    picture->Line(0, bottom, picture->widthTwips(), bottom, PageLineColor);
    picture->setCurrentX(0);
    picture->setCurrentY(bottom + m_table->marginTop());
    positionSet = true;
    ++m_previewPages;
}

double SchedulePrint::drawHeading(PageSurface &paper)
{
    QFont f(QStringLiteral("arial"), 9);
    f.setBold(true);
    paper.setFont(f);
    // One empty line above the title.
    const double top = paper.textHeight(QString());
    const bool landscape = orientation() == 2;
    double at[3] = {650, landscape ? 6000.0 : 4000.0, landscape ? 12000.0 : 9000.0};
    QString sep = QStringLiteral("  ");
    QString second = m_heading.day;
    if (m_kind == Schedule::Weekly) {
        at[1] = 7000;
        at[2] = 12000;
        sep = QStringLiteral("     ");
        second = m_heading.tech + QStringLiteral("   ") + m_heading.day;
    }
    const QString items[3] = {title(), second, m_heading.avail + sep + m_heading.used + sep + m_heading.start};
    constexpr double Gap = 120;
    const double right = paper.scaleWidth();
    // Totals that would pass the edge move left as far as the date allows; what still does not
    // fit its place wraps below.
    const double dateWidth = std::min(paper.textWidth(items[1]), at[2] - Gap - at[1]);
    // (A few twips to spare for the rounding of the measured width to whole pixels.)
    at[2] = std::max(std::min(at[2], right - paper.textWidth(items[2]) - 30), at[1] + dateWidth + Gap);
    double bottom = top;
    for (int i = 0; i < 3; ++i) {
        const double limit = i < 2 ? at[i + 1] - Gap : right;
        bottom = std::max(bottom, top + paper.printWrapped(items[i], at[i], top, limit - at[i]));
    }
    paper.setCurrentX(0);
    paper.setCurrentY(bottom);
    return bottom;
}

void SchedulePrint::drawSheetNumber(PageSurface &paper)
{
    paper.setFont(QFont(QStringLiteral("arial"), 8));
    const QString text = QStringLiteral("Page %1 of %2").arg(m_sheet).arg(std::max(m_sheet, m_sheets));
    paper.setCurrentX((paper.scaleWidth() - paper.textWidth(text)) / 2);
    paper.setCurrentY(paper.scaleHeight() - paper.textHeight(text));
    paper.printText(text, false);
}

void SchedulePrint::drawPaper(PageSurface &paper, const ScheduleHeading &heading)
{
    paper.setScaleMode(DrawSurface::Twips);
    m_heading = heading;
    m_sheet = 1;
    m_tableTop = std::max(700.0, drawHeading(paper) + 120);
    paper.setFont(QFont(QStringLiteral("arial"), 8));
    const double numberHeight = paper.textHeight(QStringLiteral("Page"));
    const double marginLeft = m_kind == Schedule::Daily ? 150 : 0;
    fillTable(paper.scaleWidth() - FillAllowance, marginLeft, paper.scaleWidth(), m_tableTop,
              PreviewMargin + numberHeight);
    m_sheets = m_table->countPages(paper, m_tableTop, m_tableTop);
    drawTable(paper);
    drawSheetNumber(paper);
}

QPageLayout SchedulePrint::paperLayout() const
{
    const QPageSize size(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                    : QPageSize::A4);
    // A quarter inch all round stands for a printer's unprintable edge.
    return QPageLayout(size, orientation() == 2 ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
}

void SchedulePrint::print(const ScheduleHeading &heading, const QDate &date)
{
    Dialogs &dialogs = *m_state.dialogs();
    if (QPrinterInfo::defaultPrinter().isNull()) {
        if (dialogs.message(NoPrinterText + QStringLiteral("\n\nSave the schedule as a PDF file instead?"),
                            QStringLiteral("Print"), Dialogs::YesNo, Dialogs::Question)
            == Dialogs::AnsYes)
            saveAsPdf(heading, date);
        return;
    }
    try {
        // The system's print dialog: which printer, how many copies, or a file.
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPageOrientation(orientation() == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer->setDocName(title());
        if (!dialogs.choosePrinter(*printer))
            return;
        printOn(std::move(printer), heading);
    } catch (const AppError &e) {
        dialogs.error(e, QStringLiteral("Print"));
    }
}

void SchedulePrint::printOn(std::unique_ptr<QPrinter> printer, const ScheduleHeading &heading)
{
    const int from = printer->printRange() == QPrinter::PageRange ? printer->fromPage() : 0;
    auto paper = PageSurface::chosenPrinter(std::move(printer));
    drawPaper(*paper, heading);
    paper->endDoc();
    if (paper->printedPages() == 0)
        m_state.dialogs()->message(NothingInRangeText.arg(from).arg(paper->pageCount()), QStringLiteral("Print"),
                                   Dialogs::Ok, Dialogs::Warning);
}

QString SchedulePrint::suggestedPdfName(const QDate &date) const
{
    return title() + QLatin1Char(' ') + date.toString(Qt::ISODate) + QStringLiteral(".pdf");
}

bool SchedulePrint::saveAsPdf(const ScheduleHeading &heading, const QDate &date)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const std::optional<QString> chosen =
        m_state.dialogs()->saveFileName(QStringLiteral("Save as PDF"), QDir(folder).filePath(suggestedPdfName(date)),
                                        QStringLiteral("PDF files (*.pdf)"));
    if (!chosen || chosen->trimmed().isEmpty())
        return false;
    QString path = *chosen;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    try {
        writePdf(path, heading);
        m_state.dialogs()->message(SavedPdfText + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                                   QStringLiteral("Save as PDF"), Dialogs::Ok, Dialogs::Information);
        return true;
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Save as PDF"));
        return false;
    }
}

void SchedulePrint::writePdf(const QString &path, const ScheduleHeading &heading)
{
    auto pdf = PageSurface::pdfFile(path, paperLayout());
    drawPaper(*pdf, heading);
    pdf->endDoc();
}
