#pragma once
#include <QString>
#include <QVector>

// Weekday templates are stored by row position, so new office hours would move every blocked cell
// to another time. This moves them back to their clock time: a row of the new hours takes the cell
// of the old row that starts with it or wholly holds it. A cell no new row takes is dropped and
// reported. The hours rows above the times and the extra last row stay where they are.
class TemplateShift {
public:
    struct Hours {
        QString open, close; // settings form, "08:00 AM"
        int slotMinutes = 30;
    };
    struct Dropped {
        QString time; // "12:30 PM"
        int col = 0;  // technician column, from 1
        QString text;
    };
    struct Result {
        QString text; // the template in its stored format, rows as the new hours lay them out
        QVector<Dropped> dropped;
    };

    // Throws AppError when the new hours are no times (the old ones are the stored template's).
    static Result moved(const QString &templateText, const Hours &from, const Hours &to);
};
