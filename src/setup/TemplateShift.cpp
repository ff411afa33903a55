#include "setup/TemplateShift.h"

#include "core/TimeText.h"
#include "daypage/PageModel.h"
#include "daypage/PageText.h"

namespace {
// Template rows before the first time row: hours available, used, starting, the band.
constexpr int TimeOffset = PageModel::FirstTimeRow - PageModel::TextTopRow;

int minutesOf(const QString &time) { return parseTimeText(time).msecsSinceStartOfDay() / 60000; }

QStringList widened(QStringList row, int cols)
{
    while (row.size() < cols)
        row << QString();
    return row;
}
} // namespace

TemplateShift::Result TemplateShift::moved(const QString &templateText, const Hours &from, const Hours &to)
{
    const PageText::Cells old = PageText::parse(templateText);
    const int newTimes = int(PageModel::timeLabels(to.open, to.close, to.slotMinutes).size());
    if (old.size() <= TimeOffset || !parseTimeText(from.open).isValid() || from.slotMinutes <= 0)
        return {templateText, {}};
    int cols = 0;
    for (const QStringList &row : old)
        cols = qMax(cols, int(row.size()));

    PageText::Cells out(TimeOffset + newTimes + 1, QStringList(cols, QString()));
    for (int r = 0; r < TimeOffset; ++r)
        out[r] = widened(old.at(r), cols);
    // The template's own last row is the extra row of the hours it was stored with.
    const int oldExtra = int(old.size()) - 1;
    if (oldExtra >= TimeOffset)
        out.last() = widened(old.at(oldExtra), cols);

    Result result;
    const int oldStart = minutesOf(from.open), newStart = minutesOf(to.open);
    for (int r = TimeOffset; r < oldExtra; ++r) {
        const int begins = oldStart + (r - TimeOffset) * from.slotMinutes;
        const int ends = begins + from.slotMinutes;
        for (int c = 0; c < old.at(r).size(); ++c) {
            const QString &text = old.at(r).at(c);
            if (text.trimmed().isEmpty())
                continue;
            bool taken = false;
            for (int i = 0; i < newTimes; ++i) {
                const int t = newStart + i * to.slotMinutes;
                if (t == begins || (t >= begins && t + to.slotMinutes <= ends)) {
                    out[TimeOffset + i][c] = text;
                    taken = true;
                }
            }
            if (!taken)
                result.dropped.append({rowLabel(QTime(0, 0).addSecs((begins % 1440) * 60)).trimmed(), c + 1, text});
        }
    }
    result.text = PageText::join(out);
    return result;
}
