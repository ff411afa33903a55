#include "daypage/WeekGlance.h"

#include "core/ListText.h"
#include "core/Numbers.h"
#include "daypage/PageModel.h"
#include "daypage/PageStore.h"
#include "store/SettingsStore.h"

#include <cmath>

namespace {

// The hours rows of a page text, one entry per technician column.
QVector<WeekGlance::Hours> hoursOf(const QString &text, int techs)
{
    const PageText::Cells cells =
        PageText::shaped(PageText::parse(text), PageModel::HoursStartRow - PageModel::TextTopRow + 1, techs);
    QVector<WeekGlance::Hours> out(techs);
    for (int c = 0; c < techs; ++c) {
        out[c].used = leadingNumber(cells[PageModel::HoursUsedRow - PageModel::TextTopRow][c]);
        out[c].start = leadingNumber(cells[PageModel::HoursStartRow - PageModel::TextTopRow][c]);
    }
    return out;
}

} // namespace

int WeekGlance::Hours::percent() const { return start > 0 ? int(std::lround(100.0 * used / start)) : 0; }

WeekGlance WeekGlance::read(PageStore &store, const QDate &anyDay)
{
    WeekGlance w;
    w.monday = mondayOf(anyDay);
    const OfficeSettings settings = SettingsStore(store.database()).office();
    const QVector<PageGrid> pages = store.gridsBetween(w.monday, w.monday.addDays(6));

    // The headings of the latest page that has them, else the office's.
    QStringList names = splitList(settings.names).mid(1);
    int techs = qMax(settings.listno, 0);
    for (const PageGrid &p : pages) {
        techs = qMax(techs, p.listno);
        const QStringList pageNames = splitList(p.names).mid(1);
        if (!pageNames.isEmpty())
            names = pageNames;
    }
    names = names.mid(0, techs);
    while (names.size() < techs)
        names << QString();
    w.techNames = names;

    for (int i = 0; i < 7; ++i) {
        Day &day = w.days[i];
        day.date = w.monday.addDays(i);
        auto page = std::find_if(pages.begin(), pages.end(), [&](const PageGrid &p) { return p.date == day.date; });
        if (page != pages.end()) {
            day.stored = true;
            day.closed = page->clinic;
            day.techs = hoursOf(QString::fromUtf8(page->data), techs);
        } else {
            const int weekday = OfficeSettings::weekdayNumber(day.date);
            day.closed = settings.closed[weekday];
            day.techs = hoursOf(settings.templates[weekday].toString(), techs);
        }
        if (day.closed)
            day.techs.fill(Hours{});
    }
    return w;
}

WeekGlance::Hours WeekGlance::techTotal(int tech) const
{
    Hours h;
    for (const Day &d : days)
        h += d.techs.value(tech);
    return h;
}

WeekGlance::Hours WeekGlance::dayTotal(int day) const
{
    Hours h;
    for (const Hours &t : days[day].techs)
        h += t;
    return h;
}

WeekGlance::Hours WeekGlance::shopTotal() const
{
    Hours h;
    for (int d = 0; d < 7; ++d)
        h += dayTotal(d);
    return h;
}
