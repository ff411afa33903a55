#include "print/SchedulePrint.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "print/DrawSurface.h"
#include "print/clsTablePrint.h"
#include "store/AppError.h"

#include <QDir>
#include <QLocale>
#include <QPrinterInfo>
#include <QStandardPaths>

const QString SchedulePrint::NoPrinterText = QStringLiteral("No default printer is installed.");

namespace {
const QColor PageLineColor(0x80, 0x80, 0x80);

struct TitlePlaces {
    double title, day, totals;
};
} // namespace

SchedulePrint::SchedulePrint(AppState &state, Schedule kind, Fill fill, QObject *parent)
    : QObject(parent), m_state(state), m_kind(kind), m_source(std::move(fill)),
      m_table(std::make_unique<clsTablePrint>(state.dialogs(), state.print()))
{
    connect(m_table.get(), &clsTablePrint::NewPage, this, &SchedulePrint::onNewPage);
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

void SchedulePrint::drawTable(DrawSurface &target, double fitWidth, double marginLeft, double marginTop)
{
    m_source(*m_table, m_fill ? float(fitWidth) : -1.0f);
    m_table->setMarginBottom(float(PreviewMargin));
    m_table->setMarginLeft(float(marginLeft));
    m_table->setMarginTop(float(marginTop));
    // Centred on the page; the source grid keeps its own alignment.
    m_table->setColAlignment(-1, 1);
    target.setCurrentY(marginTop);
    // The details print has no cell colours.
    m_state.print().PrintNoFill = m_kind == Schedule::Details;
    m_table->DrawTable(target, 0, 1);
    m_state.print().PrintNoFill = false;
}

void SchedulePrint::drawPreview(ImageSurface &picture)
{
    picture.setSizeTwips(pageWidth(), pageHeight());
    picture.Cls();
    m_previewPages = 1;
    drawTable(picture, picture.widthTwips() - FillAllowance, PreviewMargin, PreviewMargin);
}

void SchedulePrint::onNewPage(DrawSurface *target, bool &positionSet, bool &, int)
{
    if (target->isPrinter()) {
        static_cast<PageSurface *>(target)->NewPage();
        return;
    }
    // The preview is one long picture: each page one page height, a grey line between them.
    auto *picture = static_cast<ImageSurface *>(target);
    const double bottom = picture->heightTwips();
    picture->setSizeTwips(picture->widthTwips(), bottom + pageHeight());
    picture->setCurrentY(bottom);
    picture->Line(0, bottom, picture->widthTwips(), bottom, PageLineColor);
    picture->setCurrentX(0);
    picture->setCurrentY(bottom + m_table->MarginTop());
    positionSet = true;
    ++m_previewPages;
}

void SchedulePrint::drawPaper(PageSurface &paper, const ScheduleHeading &heading)
{
    paper.setScaleMode(DrawSurface::Twips);
    paper.setCurrentX(0);
    paper.setCurrentY(0);
    paper.Print(QString());
    QFont f(QStringLiteral("arial"), 9);
    f.setBold(true);
    paper.setFont(f);

    const bool landscape = orientation() == 2;
    TitlePlaces at{650, landscape ? 6000.0 : 4000.0, landscape ? 12000.0 : 9000.0};
    QString sep = QStringLiteral("  ");
    QString second = heading.day;
    if (m_kind == Schedule::Weekly) {
        at = {650, 7000, 12000};
        sep = QStringLiteral("     ");
        second = heading.tech;
    }
    const double y = paper.CurrentY();
    paper.setCurrentX(at.title);
    paper.Print(title(), false);
    paper.setCurrentX(at.day);
    paper.setCurrentY(y);
    paper.Print(second, false);
    paper.setCurrentX(at.totals);
    paper.setCurrentY(y);
    paper.Print(heading.avail + sep + heading.used + sep + heading.start);
    paper.setCurrentX(0);

    const double marginLeft = m_kind == Schedule::Daily ? 150 : 0;
    drawTable(paper, paper.ScaleWidth() - FillAllowance, marginLeft, 700);
    paper.EndDoc();
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
        auto paper = PageSurface::defaultPrinter(orientation() == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        drawPaper(*paper, heading);
    } catch (const AppError &e) {
        dialogs.error(e, QStringLiteral("Print"));
    }
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
}
