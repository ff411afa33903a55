#pragma once
#include <QDate>
#include <array>

// The month calendar beside the page: 42 day cells, six weeks from Sunday, and the selection.
class CalendarModel {
public:
    static constexpr int CellCount = 42;
    // The year list holds these years; no page outside them can be shown.
    static constexpr int FirstYear = 1997;
    static constexpr int LastYear = 2038;

    enum class Key { Left, Right, Up, Down, PageUp, PageDown };
    enum class Moved { Refused, Selection, Rebuilt };

    // Cells for d's month with d selected. The first of the month sits at index 1 to 7 (Monday 1,
    // Sunday 7), so the first row always shows days of the month before.
    void rebuild(const QDate &d);
    static int firstCellIndex(const QDate &firstOfMonth);

    QDate dateAt(int index) const;
    int dayAt(int index) const { return dateAt(index).day(); }
    int selected() const { return m_selected; }
    QDate selectedDate() const { return dateAt(m_selected); }
    QDate firstOfMonth() const { return m_first; }
    int indexOf(const QDate &d) const; // -1 when not shown

    // Moves the selection to a shown cell.
    void select(int index);
    // A calendar key: within the cells the selection moves; past them (and with Page Up and
    // Page Down, one month) the cells are rebuilt around the new date. Keys that would leave
    // the years of the lists are refused.
    Moved press(Key key);

    // year/month with a day number; days past the month's end roll into the next month.
    static QDate rolledDate(int year, int month, int day);
    static bool inRange(const QDate &d);

private:
    QDate m_first;         // day 1 of the month shown
    QDate m_firstCellDate; // date of cell 0
    int m_selected = 0;
};
