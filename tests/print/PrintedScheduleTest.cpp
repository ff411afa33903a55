#include "../daypage/Station.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "core/Colors.h"
#include "core/DateText.h"
#include "print/DrawSurface.h"
#include "print/FlexGridImport.h"
#include "print/PrintedPages.h"
#include "print/SchedulePrint.h"
#include "print/TablePrint.h"
#include "store/Database.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

namespace {
QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int rowOf(const GridModel &g, const QString &label)
{
    for (int r = 0; r < g.rows(); ++r)
        if (g.text(r, 0) == label)
            return r;
    return -1;
}
} // namespace

// The printed day and week from stored pages: preview picture, PDF pages and the week's rows.
class PrintedScheduleTest : public QObject {
    Q_OBJECT
private slots:
    void longDayPreviewsAndSavesAsTwoPages()
    {
        TestFolder folder;
        const QString db = folder.copySeed(QStringLiteral("db.mdb"));
        Database(db).execute(
            QStringLiteral("UPDATE tbl_Setup SET open = '07:00 AM', Close = '07:00 PM', timeslot = 10"));
        const QDate day(2031, 3, 5);
        Station st(db);
        QVERIFY(st.page.openDate(day));
        const int row = rowOf(st.grid(), QStringLiteral("10:40 AM "));
        QVERIFY(row > 0);
        QCOMPARE(st.page.saveCellContent(row, 2, QStringLiteral("Walter Kowalski")), DayPage::CellSave::Stored);

        GridModel grid;
        const PrintedDay printed = loadPrintedDay(st.page.store(), day, grid, QString());
        QCOMPARE(grid.text(row, 2), QStringLiteral("Walter Kowalski"));
        SchedulePrint print(st.state, Schedule::Daily, [&](TablePrint &t, float fit) { importFlexGrid(t, grid, fit); });
        ImageSurface picture(print.pageWidth(), print.pageHeight());
        print.drawPreview(picture);
        QCOMPARE(print.previewPages(), 2);
        const QImage img = picture.image();
        const int pageLine = int(std::lround(16840.0 / 15)); // pixels of one page
        QCOMPARE(img.height(), 2 * pageLine);
        QCOMPARE(img.pixelColor(5, pageLine), QColor(0x80, 0x80, 0x80));
        QCOMPARE(img.pixelColor(5, pageLine - 3), QColor(Qt::white));

        const ScheduleHeading heading{
            printed.heading,           printed.date, QString(), printed.totals.availText(), printed.totals.usedText(),
            printed.totals.startText()};
        const QString pdf = folder.file(QStringLiteral("day.pdf"));
        print.writePdf(pdf, heading);
        QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
        const QString text =
            run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QStringLiteral("1"),
                                              QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("Daily Schedule")), qPrintable(text));
        auto spaced = [](const QString &s) {
            QStringList words = s.simplified().split(QLatin1Char(' '));
            for (QString &w : words)
                w = QRegularExpression::escape(w);
            return QRegularExpression(words.join(QStringLiteral("\\s+")));
        };
        QVERIFY(text.contains(spaced(DateText::longHeading(day))));
        QVERIFY(text.contains(spaced(QStringLiteral("Avail 32 Used 0 Start 32"))));
        // The booked name stands in its technician's column.
        const QStringList lines = text.split(QLatin1Char('\n'));
        auto column = [&](const QString &s) {
            for (const QString &l : lines)
                if (l.contains(s))
                    return int(l.indexOf(s));
            return -1000;
        };
        const int name = column(QStringLiteral("Walter Kowalski"));
        for (const char *other : {"Mike Dunn", "Tony Russo", "Raj Patel"})
            QVERIFY2(std::abs(name - column(QStringLiteral("Sue Park")))
                         < std::abs(name - column(QLatin1String(other))),
                     qPrintable(text));
        if (qEnvironmentVariableIsSet("TORVANE_KEEP_PDF"))
            QFile::copy(pdf, qEnvironmentVariable("TORVANE_KEEP_PDF"));
    }

    void onlyThePagesAskedForArePrinted()
    {
        TestFolder folder;
        const QString db = folder.copySeed(QStringLiteral("db.mdb"));
        Database(db).execute(QStringLiteral("UPDATE tbl_Setup SET open = '06:00 AM', Close = '08:00 PM', timeslot = 5"));
        const QDate day(2031, 3, 5);
        Station st(db);
        QVERIFY(st.page.openDate(day));
        GridModel grid;
        const PrintedDay printed = loadPrintedDay(st.page.store(), day, grid, QString());
        SchedulePrint print(st.state, Schedule::Daily, [&](TablePrint &t, float fit) { importFlexGrid(t, grid, fit); });
        const ScheduleHeading heading{printed.heading, printed.date, {}, {}, {}, {}};
        const QString whole = folder.file(QStringLiteral("whole.pdf"));
        print.writePdf(whole, heading);
        const QRegularExpression pagesLine(QStringLiteral("Pages:\\s+(\\d+)\\n"));
        const int sheets = pagesLine.match(run(QStringLiteral("pdfinfo"), {whole})).captured(1).toInt();
        QVERIFY2(sheets >= 4, qPrintable(QString::number(sheets)));

        // Pages 2 to 3 of the print dialog, printed to a PDF file.
        auto printTo = [&](const QString &path, int from, int to) {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(path);
            printer->setPageLayout(print.paperLayout());
            printer->setPrintRange(QPrinter::PageRange);
            printer->setFromTo(from, to);
            print.printOn(std::move(printer), heading);
        };
        const QString part = folder.file(QStringLiteral("part.pdf"));
        printTo(part, 2, 3);
        QCOMPARE(pagesLine.match(run(QStringLiteral("pdfinfo"), {part})).captured(1).toInt(), 2);
        for (int page : {1, 2}) {
            const QString text = run(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                      QString::number(page), part, QStringLiteral("-")});
            QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(page + 1).arg(sheets)), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("Daily Schedule")));
        }
        QCOMPARE(st.dialogs.count(), 0);

        // Pages past the last: nothing is printed, and the user hears why.
        const QString beyond = folder.file(QStringLiteral("beyond.pdf"));
        printTo(beyond, sheets + 1, sheets + 2);
        QVERIFY(!QFile::exists(beyond));
        QCOMPARE(st.dialogs.count(), 1);
        QCOMPARE(st.dialogs.last().text, SchedulePrint::NothingInRangeText.arg(sheets + 1).arg(sheets));
    }

    void paperIsFilledToItsOwnWidth()
    {
        TestFolder folder;
        Station st(folder.copySeed(QStringLiteral("db.mdb")));
        GridModel grid;
        // A width list shorter than the columns: the others keep the day page's widths.
        loadPrintedDay(st.page.store(), QDate(2031, 3, 5), grid, QStringLiteral("1500%"));
        QCOMPARE(grid.colWidth(0), 1500);
        QCOMPARE(grid.colWidth(1), 1900);
        SchedulePrint print(st.state, Schedule::Daily, [&](TablePrint &t, float fit) { importFlexGrid(t, grid, fit); });
        print.setOrientation(2);
        print.setFill(true);
        // Letter in landscape is narrower than the preview picture.
        auto paper = PageSurface::pdfFile(folder.file(QStringLiteral("letter.pdf")),
                                          QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape,
                                                      QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter));
        const double width = paper->scaleWidth();
        print.drawPaper(*paper, {});
        double right = print.table().marginLeft();
        for (int c = 0; c < print.table().colCount(); ++c)
            right += print.table().colWidth(c);
        QVERIFY2(right <= width && right > width - 600, qPrintable(QStringLiteral("%1 of %2").arg(right).arg(width)));
    }

    void weekPlacesEachDaysCellsByTheirTime()
    {
        TestFolder folder;
        const QString db = folder.copySeed(QStringLiteral("db.mdb"));
        const QDate monday(2031, 3, 3);
        Station st(db);
        QVERIFY(st.page.openDate(monday));
        QCOMPARE(
            st.page.saveCellContent(rowOf(st.grid(), QStringLiteral("10:00 AM ")), 2, QStringLiteral("Ann Monday")),
            DayPage::CellSave::Stored);
        // Wednesday opens at 09:00 in 15-minute slots.
        Database(db).execute(QStringLiteral("UPDATE tbl_Setup SET open = '09:00 AM', timeslot = 15"));
        QVERIFY(st.page.openDate(monday.addDays(2)));
        QCOMPARE(
            st.page.saveCellContent(rowOf(st.grid(), QStringLiteral("11:00 AM ")), 2, QStringLiteral("Bo Wednesday")),
            DayPage::CellSave::Stored);
        QCOMPARE(
            st.page.saveCellContent(rowOf(st.grid(), QStringLiteral("10:15 AM ")), 2, QStringLiteral("Cy Quarter")),
            DayPage::CellSave::Stored);
        QCOMPARE(
            st.page.saveCellContent(rowOf(st.grid(), QStringLiteral("09:00 AM ")), 3, QStringLiteral("Other Tech")),
            DayPage::CellSave::Stored);

        const WeekData week = readWeek(st.page.store(), monday, 2);
        GridModel g;
        // The technicians' uneven widths do not reach the days: they share the page equally.
        buildWeekGrid(g, week, 1, QStringLiteral("1200%1900%3500%900%"));
        QCOMPARE(g.colWidth(0), 1200);
        for (int d = 2; d <= 7; ++d)
            QCOMPARE(g.colWidth(d), g.colWidth(1));
        QCOMPARE(g.rows(), 26); // the Monday page's layout
        const int ten = rowOf(g, QStringLiteral("10:00 AM "));
        QCOMPARE(g.text(ten, 1), QStringLiteral("Ann Monday"));
        QCOMPARE(g.text(rowOf(g, QStringLiteral("11:00 AM ")), 3), QStringLiteral("Bo Wednesday"));
        QCOMPARE(g.text(rowOf(g, QStringLiteral("09:00 AM ")), 3), QString()); // another technician's
        QCOMPARE(g.text(rowOf(g, QStringLiteral("08:00 AM ")), 3), QString()); // no such slot that day
        QCOMPARE(g.cellBackColor(rowOf(g, QStringLiteral("12:00 PM ")), 1), LunchColor);
        QCOMPARE(g.cellBackColor(rowOf(g, QStringLiteral("12:00 PM ")), 4), qint64(0)); // no page that day
        for (int r = 0; r < g.rows(); ++r)                                              // 10:15 has no row in the week
            QVERIFY(g.text(r, 3) != QLatin1String("Cy Quarter"));
        const WeekTotals totals = sumWeek(g);
        QCOMPARE(totals.startText(), QStringLiteral("S  16"));
        QCOMPARE(totals.availText(), QStringLiteral("A  16"));
    }
};
TORVANE_TEST(PrintedScheduleTest)
#include "PrintedScheduleTest.moc"
