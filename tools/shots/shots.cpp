// torvane-shots: renders the main windows of a busy workshop into PNG files for the README.
// Runs on a real display (./dev screenshots starts Xvfb): the windows are shown and driven with
// keys as a user would, then each is grabbed as it is drawn on the screen.
#include "Workshop.h"
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/GridModel.h"
#include "core/WindowSwitcher.h"
#include "daypage/DayPage.h"
#include "daypage/DayPageWindow.h"
#include "print/DayPagePrint.h"
#include "print/PrintPreviewWindow.h"
#include "print/PrintView.h"
#include "shell/ShellWindows.h"
#include "store/AppError.h"
#include "store/BookingStore.h"
#include "store/Database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <cstdio>

namespace {

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "torvane-shots: %s\n", qPrintable(what));
    std::exit(1);
}

// Waits until the window has been drawn, then writes its picture.
void save(QWidget *w, const QString &path)
{
    if (!w)
        fail(QStringLiteral("no window for %1").arg(path));
    if (!QTest::qWaitForWindowExposed(w))
        fail(QStringLiteral("window for %1 never shown").arg(path));
    QTest::qWait(400);
    const QPixmap picture = w->screen()->grabWindow(w->winId());
    if (!picture.save(path))
        fail(QStringLiteral("cannot write %1").arg(path));
    std::printf("%s\n", qPrintable(path));
}

template <class T>
T *topLevel()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

// A customer who comes back every few weeks with the same car, for the history's picture: the
// generated workshop's customers come once each.
void returningCustomer(const QString &db, const QDate &today)
{
    using namespace BookingField;
    Database d(db);
    BookingStore store(d);
    const char *const jobs[][2] = {{"Oil change", "0.5"}, {"Brake pads front", "1.5"}, {"Tire rotation", "0.5"},
                                   {"Timing belt", "3"},  {"Oil change", "0.5"},       {"Alignment", "1"}};
    const char *const techs[] = {"Mike Dunn", "Sue Park", "Tony Russo"};
    for (int visit = 0; visit < 6; ++visit) {
        const QDate date = today.addDays(-80 + visit * 15);
        // The first free morning slot of the day.
        for (int row = 6; row < 14; ++row) {
            const int col = 1 + visit % 3;
            if (store.find(date, col, row))
                continue;
            StoredBooking b;
            b.date = date;
            b.row = row;
            b.col = col;
            b.fields[Name] = QStringLiteral("Dana Whitfield");
            b.fields[Phone] = QStringLiteral("(905) 555-0142");
            b.fields[Vehicle] = QStringLiteral("2017");
            b.fields[Make] = QStringLiteral("Subaru");
            b.fields[Tech] = QString::fromLatin1(techs[visit % 3]);
            b.fields[Time] = QTime(8, 0).addSecs((row - 6) * 1800).toString(QStringLiteral("hh:mm AP"));
            b.fields[Mainten] = QString::fromLatin1(jobs[visit][0]);
            b.fields[TTime] = QString::fromLatin1(jobs[visit][1]);
            if (visit == 3)
                b.fields[Comments] = QStringLiteral("Customer waiting; call when ready");
            store.insert(b);
            break;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("torvane-shots"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Renders the main windows on a generated workshop into PNG files."));
    cl.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Folder for the pictures."),
                                 QStringLiteral("folder"));
    const QCommandLineOption work(QStringLiteral("work"), QStringLiteral("Folder for the workshop, emptied first."),
                                  QStringLiteral("folder"));
    cl.addOptions({out, work});
    cl.process(app);
    if (!cl.isSet(out) || !cl.isSet(work))
        fail(QStringLiteral("--out and --work are needed"));
    const QDir outDir(cl.value(out));
    QDir workDir(cl.value(work));
    workDir.removeRecursively();
    QDir().mkpath(outDir.path());
    const QString server = workDir.filePath(QStringLiteral("server"));
    const QString station = workDir.filePath(QStringLiteral("station"));
    QDir().mkpath(server);

    // Three months of a busy workshop up to today, so the menu's day page is a full one.
    const QDate today = QDate::currentDate();
    Workshop::Plan plan;
    plan.last = today.addDays(14);
    plan.first = today.addMonths(-3);
    try {
        Workshop::generate(QDir(server).filePath(QStringLiteral("db.mdb")), plan);
        Workshop::makeStation(station, server);
        returningCustomer(QDir(server).filePath(QStringLiteral("db.mdb")), today);
    } catch (const AppError &e) {
        fail(e.description());
    }

    AppState state;
    MessageBoxDialogs dialogs;
    WindowSwitcher switcher;
    state.paths().setProgramFolder(station);
    state.setDialogs(&dialogs);
    state.setSwitcher(&switcher);
    ShellWindows::install(state);

    QWidget *menu = state.windows().mainMenu(state);
    if (!menu)
        fail(QStringLiteral("the main menu did not open"));
    switcher.show(menu);
    save(menu, outDir.filePath(QStringLiteral("main-menu.png")));

    // Entry 1: today's page. A working day is wanted; Sundays are closed.
    QTest::keyClick(menu, Qt::Key_1);
    auto *page = topLevel<DayPageWindow>();
    if (!page)
        fail(QStringLiteral("the day page did not open"));
    page->resize(1180, 720);
    QDate day = today;
    while (day.dayOfWeek() == Qt::Sunday)
        day = day.addDays(1);
    // A booked cell of the busiest hours: its booking is opened below.
    int row = 0, col = 0;
    page->openCell(day, 8, 1);
    GridModel &grid = page->page().grid();
    for (int r = 8; r < 14 && !row; ++r)
        for (int c = 1; c <= Workshop::Techs && !row; ++c)
            if (!grid.text(r, c).isEmpty())
                row = r, col = c;
    if (!row)
        fail(QStringLiteral("no booking on %1").arg(day.toString(Qt::ISODate)));
    page->openCell(day, row, col);
    save(page, outDir.filePath(QStringLiteral("day-page.png")));

    // How full the week of that day is.
    page->openWeekGlance();
    QWidget *week = page->weekGlance();
    if (!week || !QTest::qWaitForWindowExposed(week))
        fail(QStringLiteral("the week view did not open"));
    save(week, outDir.filePath(QStringLiteral("week.png")));
    week->close();

    // The history of a returning customer, found by the start of the name.
    page->openCustomerHistory(QStringLiteral("dana whit"));
    QWidget *history = page->customerHistory();
    if (!history || !QTest::qWaitForWindowExposed(history))
        fail(QStringLiteral("the customer history did not open"));
    save(history, outDir.filePath(QStringLiteral("history.png")));
    history->close();
    page->openCell(day, row, col);

    page->gridEnter();
    QWidget *booking = page->bookingWindow();
    save(booking, outDir.filePath(QStringLiteral("booking.png")));
    booking->close();

    auto *daily = qobject_cast<PrintView *>(openPrintChoice(*page, DayPageWindow::PrintChoice::DailySummary));
    if (!daily)
        fail(QStringLiteral("the daily print view did not open"));
    if (!QTest::qWaitForWindowExposed(daily))
        fail(QStringLiteral("the daily print view was never shown"));
    daily->printSchedule();
    auto *preview = daily->findChild<PrintPreviewWindow *>();
    if (preview)
        preview->resize(1000, 800);
    save(preview, outDir.filePath(QStringLiteral("print-preview.png")));

    // The day's booking records as the details print lays them out.
    auto *records = qobject_cast<PrintView *>(openPrintChoice(*page, DayPageWindow::PrintChoice::DailyDetails));
    if (!records)
        fail(QStringLiteral("the records view did not open"));
    if (!QTest::qWaitForWindowExposed(records))
        fail(QStringLiteral("the records view was never shown"));
    records->printSchedule();
    auto *details = records->findChild<PrintPreviewWindow *>();
    if (details)
        details->resize(1000, 800);
    save(details, outDir.filePath(QStringLiteral("details-page.png")));
    return 0;
}
