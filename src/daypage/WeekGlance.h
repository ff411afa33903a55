#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

class PageStore;

// How full a week is: the hours booked against the hours a page starts with, per technician and
// day, read from the pages as stored. A date without a page counts its weekday template (nothing
// is made); a closed day offers no hours and counts in no total.
struct WeekGlance {
    struct Hours {
        float used = 0, start = 0;
        float avail() const { return start - used; }
        // Booked share of the starting hours in whole percent; none to book gives 0.
        int percent() const;
        Hours &operator+=(const Hours &o)
        {
            used += o.used;
            start += o.start;
            return *this;
        }
    };
    struct Day {
        QDate date;
        bool stored = false; // false: the weekday template's hours
        bool closed = false;
        QVector<Hours> techs; // one per technician column, from 0
    };

    QDate monday;
    QStringList techNames; // column headings, from 0
    std::array<Day, 7> days;

    static QDate mondayOf(const QDate &d) { return d.addDays(1 - d.dayOfWeek()); }
    static WeekGlance read(PageStore &store, const QDate &anyDay);

    int techCount() const { return techNames.size(); }
    Hours techTotal(int tech) const;
    Hours dayTotal(int day) const;
    Hours shopTotal() const;
};
