#include "daypage/CalendarModel.h"

int CalendarModel::firstCellIndex(const QDate &firstOfMonth)
{
    return firstOfMonth.dayOfWeek(); // Qt: Monday 1 .. Sunday 7
}

void CalendarModel::rebuild(const QDate &d)
{
    m_first = QDate(d.year(), d.month(), 1);
    m_firstCellDate = m_first.addDays(-firstCellIndex(m_first));
    m_selected = int(m_firstCellDate.daysTo(d));
}

QDate CalendarModel::dateAt(int index) const { return m_firstCellDate.addDays(index); }

int CalendarModel::indexOf(const QDate &d) const
{
    const qint64 i = m_firstCellDate.daysTo(d);
    return i >= 0 && i < CellCount ? int(i) : -1;
}

void CalendarModel::select(int index)
{
    if (index >= 0 && index < CellCount)
        m_selected = index;
}

bool CalendarModel::inRange(const QDate &d) { return d.isValid() && d.year() >= FirstYear && d.year() <= LastYear; }

QDate CalendarModel::rolledDate(int year, int month, int day)
{
    const QDate first(year, month, 1);
    return first.isValid() ? first.addDays(day - 1) : QDate();
}

CalendarModel::Moved CalendarModel::press(Key key)
{
    const QDate from = selectedDate();
    const bool forward = key == Key::Right || key == Key::Down || key == Key::PageDown;
    if (forward && from > QDate(2039, 1, 1))
        return Moved::Refused;
    if (!forward && from < QDate(1997, 11, 11))
        return Moved::Refused;

    int step = 0;
    switch (key) {
    case Key::Left: step = -1; break;
    case Key::Right: step = 1; break;
    case Key::Up: step = -7; break;
    case Key::Down: step = 7; break;
    case Key::PageUp:
    case Key::PageDown: {
        const QDate to = from.addMonths(key == Key::PageDown ? 1 : -1);
        if (!inRange(to))
            return Moved::Refused;
        rebuild(to);
        return Moved::Rebuilt;
    }
    }
    const QDate to = from.addDays(step);
    if (!inRange(to))
        return Moved::Refused;
    const int target = m_selected + step;
    if (target >= 0 && target < CellCount) {
        m_selected = target;
        return Moved::Selection;
    }
    rebuild(to);
    return Moved::Rebuilt;
}
