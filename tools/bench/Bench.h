#pragma once
#include "Stats.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "store/AppError.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

struct BenchOptions {
    QString dir; // work folder; made and emptied by the benchmark
    int years = 10;
    double reps = 1.0;  // scales every repetition count
    QStringList only;   // names of the measures to run; empty runs all
    bool reuse = false; // keep the database of an earlier run instead of generating one
    QString programDir; // where torvane lies beside the benchmark
    QString db;         // a server folder whose db.pgconn names an empty database; empty: a db.mdb file
    QVector<int> stations{1, 4, 8}; // the contended booking, once for each count
    bool diskStress = false;        // a writer keeps flushing large files in the work folder
    int stressMb = 64;
};

// Any message a routine shows during a measure is a fault: the measure reports it instead of a
// figure. Questions are answered No, input boxes cancelled.
class BenchDialogs : public Dialogs {
public:
    QStringList shown;

protected:
    Answer present(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    std::optional<QString> presentInput(const QString &prompt, const QString &title,
                                        const QString &defaultText) override;
};

// The benchmark run: a generated ten-year workshop, one station folder, the measures taken
// through the program's own widget-free classes and, for start-up and memory, the program itself
// as a separate process.
class Bench {
public:
    explicit Bench(const BenchOptions &options);
    Report run();

    // Measure names in report order.
    static QStringList measureNames();

private:
    void prepare(Report &report);
    bool wanted(const QString &name) const;
    int reps(int n) const;
    QDate latestPage();

    Figure openStoredPage();
    Figure openNewDate();
    Figure savePage();
    Figure wholeBooking(bool returning);
    // The same booking while other stations book on the same pages; failed bookings are counted.
    Figure contendedBooking(int stations, int order);
    Figure searchMissing();
    Figure searchOldest();
    Figure findSlot();
    Figure customerLookup();
    QVector<Figure> startUp();
    Figure peakMemory();

    Figure figure(const QString &name, const QString &title, const QString &unit);
    void attachFloor(Figure &f, const QString &floorName, const QString &floorTitle);
    // Runs body, which fills the figure; a message shown or an exception turns it into an error.
    Figure measured(Figure f, const std::function<void(Figure &)> &body);

    BenchOptions m_options;
    QString m_serverDir;
    QString m_stationDir;
    QString m_dbPath;
    bool m_server = false; // on a database server: no SQLite floor, no commit count
    BenchDialogs m_dialogs;
    AppState m_state;
    QVector<QDate> m_workingDates; // stored open pages up to today, oldest first
    QDate m_oldestNameDate;
};
