#pragma once
#include "daypage/PageModel.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

class AppState;
class GridModel;
class PageStore;

// The day page of a date as the printable views show it: laid out and filled like the day page,
// from the page as stored. Nothing is written: a page's first showing stores its colours only on
// the day page itself.
struct PrintedDay {
    bool found = false;
    bool closed = false;
    QString heading; // "Wednesday   February 6,  2002"
    QString date;    // the short date
    PageModel::Totals totals;
};
// The columns take the day page's widths, then those of widths (a "%" list) where it has one.
// A date without a page is laid out from the office settings and left without text.
PrintedDay loadPrintedDay(PageStore &store, const QDate &date, GridModel &grid, const QString &widths);

// One technician's week, read from the stored pages without touching the day page on screen.
// Rows follow the Monday page's layout: times holds its rows 2 to last of column 0; each day's
// cells are placed by their time, so a day with other hours or another slot length lines up,
// and a time that day has no slot for stays empty.
struct WeekData {
    QDate monday;
    QString tech;                    // the technician's name on the Monday page
    QStringList times;               // row captions and time labels
    QVector<QStringList> texts;      // days 1 (Monday) to 7; 0 and 8 unused
    QVector<QVector<qint64>> colors; // the cells' colour numbers by day, 0 where none
};

// col is the technician's column on the day page. Throws AppError when a page cannot be read.
WeekData readWeek(PageStore &store, const QDate &monday, int col);

// The week view's grid: column 0 the row labels, columns 1 to 7 the days, row 0 each day's date,
// row 1 its weekday name, the cells from row 2 down; time rows rHeight x 290 twips high. The
// labels take cwidth's first width; the days share the rest of a landscape page equally.
void buildWeekGrid(GridModel &grid, const WeekData &week, int rHeight, const QString &cwidth);

// The seven days' hours summed from the week grid: "A  ", "U  " and "S  " with the sum.
struct WeekTotals {
    float avail = 0, used = 0, start = 0;
    QString availText() const;
    QString usedText() const;
    QString startText() const;
};
WeekTotals sumWeek(const GridModel &grid);
