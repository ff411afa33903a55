#pragma once
#include "core/GridModel.h"
#include "daypage/PageModel.h"

#include <QDate>
#include <QString>

class Database;

// The office's weekday templates as the template editor works on them: one weekday at a time,
// laid out in a grid exactly like a day page made from the office settings, stepping from Monday
// to Sunday. Keeps what was shown of the weekday, so edits not yet stored can be told, and the
// selection mode of the grid's Copy, Cut, Paste and Delete: single cell after a plain click, block
// after a Shift-click.
//
// Reads go to the settings as stored at that moment; storing writes the weekday's template, its
// closed flag and the column widths in one write transaction. Throws AppError.
class TemplateEditor {
public:
    // Lays the grid out from the office settings.
    explicit TemplateEditor(Database &db);

    GridModel &grid() { return m_grid; }
    const GridModel &grid() const { return m_grid; }
    PageModel &model() { return m_model; }

    // The weekdays are named and ordered by a week that starts on this Monday.
    static QDate referenceMonday() { return QDate(2000, 7, 3); }
    QDate day() const { return m_day; }
    QString dayTitle() const;    // "Monday"
    QString nextCaption() const; // the next day's short name; "Finish" on Sunday
    bool isLastDay() const { return m_day.dayOfWeek() == Qt::Sunday; }

    // The open/closed list's entries: a blank, the location, " Open" / " Closed".
    QString openText() const { return QStringLiteral(" %1 Open").arg(m_location); }
    QString closedText() const { return QStringLiteral(" %1 Closed").arg(m_location); }

    // The template and closed flag of the weekday of d, as stored now.
    void showDay(const QDate &d);
    void showMonday() { showDay(referenceMonday()); }
    bool closed() const { return m_closed; }
    void setClosed(bool closed);
    // Cells or the closed state differ from what was shown or last stored.
    bool changed() const;

    // Writes the weekday shown.
    void storeDay();
    // Stores the weekday shown; Monday to Saturday then show the next one. True when Sunday was
    // stored and the week is done.
    bool next();

    // The column widths as the settings keep them, from the grid's own widths: a view that
    // stretches its columns to its width never changes them.
    QString columnWidths() const;

    // Selection: a plain click makes the current cell the one Paste and Delete work from, in
    // single-cell mode; a Shift-click selects the block from it (block mode).
    void cellClicked();
    void blockSelected();
    bool blockMode() const { return m_blockMode; }
    // Each returns the grid to single-cell mode at the remembered cell.
    QString copy(); // the text for the clipboard
    QString cut();
    void deleteCells();
    // After a single-cell Copy or Cut the clipboard goes into the one cell, its separators cleaned
    // out; otherwise it is laid out as a block from the remembered cell.
    void paste(const QString &clipboard);
    // The edit box's text, written at every change; never a tab or line break.
    void setCellText(int r, int c, const QString &text);

private:
    void singleCellLook();
    void blockLook();
    void emptyBlock(int r0, int c0, int r1, int c1);

    Database &m_db;
    GridModel m_grid;
    PageModel m_model;
    QString m_location;
    QDate m_day = referenceMonday();
    bool m_closed = false;
    QString m_shownText;
    bool m_shownClosed = false;
    bool m_blockMode = false;
    bool m_singleCellClip = false;
    int m_row = PageModel::FirstTimeRow;
    int m_col = 1;
};
