#include "print/CommandLinePrint.h"

#include "core/AppState.h"
#include "core/DateText.h"
#include "core/Dialogs.h"
#include "core/GridModel.h"
#include "core/Station.h"
#include "daypage/PageStore.h"
#include "print/DrawSurface.h"
#include "print/FlexGridImport.h"
#include "print/PrintSettings.h"
#include "print/PrintedPages.h"
#include "print/RecordsGrid.h"
#include "print/SchedulePrint.h"
#include "print/TableQueryModel.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <functional>
#include <memory>
#include <vector>

namespace {
// What the print code would show in a message box: kept, so the command fails with it.
class CollectingDialogs : public Dialogs {
public:
    QStringList shown;

protected:
    Answer present(const QString &text, const QString &title, Buttons buttons, Icon) override
    {
        shown << (title.isEmpty() ? text : title + QStringLiteral(": ") + text);
        return buttons == Ok ? AnsOk : buttons == OkCancel || buttons == RetryCancel ? AnsCancel : AnsNo;
    }
    std::optional<QString> presentInput(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
};

struct Job {
    std::unique_ptr<SchedulePrint> print;
    ScheduleHeading heading;
};

// The paper: opened for the first schedule's layout, a new sheet for every later schedule.
class Paper {
public:
    explicit Paper(const QString &pdf) : m_pdf(pdf) {}
    PageSurface &next(const SchedulePrint &print)
    {
        if (m_surface) {
            m_surface->newPage();
        } else if (!m_pdf.isEmpty()) {
            try {
                m_surface = PageSurface::pdfFile(m_pdf, print.paperLayout());
            } catch (const AppError &e) {
                throw AppError(
                    e.number(),
                    QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(m_pdf), e.description()));
            }
        } else {
            m_surface =
                PageSurface::defaultPrinter(print.orientation() == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        }
        return *m_surface;
    }
    void end()
    {
        if (m_surface)
            m_surface->endDoc();
    }
    // A file begun and not finished is no schedule: it goes.
    void abandon()
    {
        if (!m_surface || m_pdf.isEmpty())
            return;
        m_surface.reset();
        QFile::remove(m_pdf);
    }

private:
    QString m_pdf;
    std::unique_ptr<PageSurface> m_surface;
};

int usage(QString &error, const QString &text)
{
    error = text;
    return 2;
}
} // namespace

int printFromCommandLine(const PrintOrder &order, StationPaths paths, QString &error)
{
    const QString view = order.view.trimmed().toLower();
    if (view != QLatin1String("week") && view != QLatin1String("day") && view != QLatin1String("details"))
        return usage(error, QStringLiteral("Unknown view \"%1\": print week, day or details.").arg(order.view));
    static const QRegularExpression isoDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate date = QDate::fromString(order.date.trimmed(), Qt::ISODate);
    if (!isoDate.match(order.date.trimmed()).hasMatch() || !date.isValid())
        return usage(error, QStringLiteral("Bad date \"%1\": give it as YYYY-MM-DD.").arg(order.date));
    if (!order.folder.isEmpty()) {
        if (!QFileInfo(order.folder).isDir())
            return usage(error,
                         QStringLiteral("No station folder \"%1\".").arg(QDir::toNativeSeparators(order.folder)));
        paths.setProgramFolder(QDir(order.folder).absolutePath());
    }
    if (!QFileInfo(paths.stationDbPath()).isFile())
        return usage(error, QStringLiteral("No station database %1: name the station's folder with --folder.")
                                .arg(QDir::toNativeSeparators(paths.stationDbPath())));

    CollectingDialogs dialogs;
    AppState state;
    state.paths() = paths;
    state.setDialogs(&dialogs);
    Paper paper(order.pdf);
    try {
        const StationRecord station = Station::read(paths.stationDbPath());
        if (station.server.trimmed().isEmpty())
            return usage(error, QStringLiteral("The station in %1 is not installed: it names no server folder.")
                                    .arg(QDir::toNativeSeparators(paths.programFolder())));
        if (order.pdf.isEmpty() && QPrinterInfo::defaultPrinter().isNull())
            throw AppError(482, SchedulePrint::NoPrinterText);
        Database db(sharedDbPath(state.paths()));
        PageStore store(db);
        PrintSettings settings(db);

        // The tables' sources live until everything is printed.
        GridModel dayGrid;
        DataGridLayout layout;
        std::unique_ptr<TableQueryModel> records;
        QVector<std::shared_ptr<GridModel>> weekGrids;
        std::vector<Job> jobs;
        auto dayHeading = [&](GridModel &grid, const QString &widths) {
            const PrintedDay day = loadPrintedDay(store, date, grid, widths);
            return ScheduleHeading{
                day.heading,           day.date, QString(), day.totals.availText(), day.totals.usedText(),
                day.totals.startText()};
        };
        if (view == QLatin1String("day")) {
            Job job;
            job.heading = dayHeading(dayGrid, settings.widthList("PWidth"));
            job.print = std::make_unique<SchedulePrint>(
                state, Schedule::Daily, [&](TablePrint &t, float fit) { importFlexGrid(t, dayGrid, fit); });
            const PrintSettings::Preview p = settings.preview("Printmode", "FillPage");
            job.print->setOrientation(p.orientation);
            job.print->setFill(p.fill);
            jobs.push_back(std::move(job));
        } else if (view == QLatin1String("details")) {
            Job job;
            job.heading = dayHeading(dayGrid, QString());
            records = dayRecords(db, date);
            layout = recordsLayout();
            const QVector<int> widths = PrintSettings::parseWidths(settings.widthList("DWidth"));
            for (int c = 0; c < widths.size() && c < layout.columns.size(); ++c)
                if (widths.at(c) > 0)
                    layout.columns[c].width = float(widths.at(c));
            job.print = std::make_unique<SchedulePrint>(state, Schedule::Details, [&](TablePrint &t, float fit) {
                importDBGrid(t, layout, *records, fit, dialogs, false);
            });
            const PrintSettings::Preview p = settings.preview("dMode", "dFillPage");
            job.print->setOrientation(p.orientation);
            job.print->setFill(p.fill);
            jobs.push_back(std::move(job));
        } else {
            const QDate monday = date.addDays(1 - date.dayOfWeek());
            loadPrintedDay(store, monday, dayGrid, QString());
            const SettingsStore::Layout pageLayout = SettingsStore(db).layout();
            for (int col = 1; col < dayGrid.cols(); ++col) {
                const WeekData week = readWeek(store, monday, col);
                auto grid = std::make_shared<GridModel>();
                buildWeekGrid(*grid, week, pageLayout.rHeight, pageLayout.cwidth);
                const WeekTotals totals = sumWeek(*grid);
                Job job;
                job.heading = ScheduleHeading{
                    QStringLiteral("Week of ") + DateText::longHeading(monday),
                    QStringLiteral("%1 - %2").arg(DateText::shortDate(monday), DateText::shortDate(monday.addDays(6))),
                    week.tech,
                    totals.availText(),
                    totals.usedText(),
                    totals.startText()};
                job.print = std::make_unique<SchedulePrint>(
                    state, Schedule::Weekly, [grid](TablePrint &t, float fit) { importFlexGrid(t, *grid, fit); });
                weekGrids << grid;
                jobs.push_back(std::move(job));
            }
        }
        for (Job &job : jobs) {
            job.print->drawPaper(paper.next(*job.print), job.heading);
            if (!dialogs.shown.isEmpty())
                break;
        }
        paper.end();
        if (!dialogs.shown.isEmpty())
            throw AppError(5, dialogs.shown.join(QLatin1Char('\n')));
        return 0;
    } catch (const AppError &e) {
        error = e.description();
        paper.abandon();
        return 1;
    }
}
