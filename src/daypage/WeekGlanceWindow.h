#pragma once
#include "daypage/WeekGlance.h"

#include <QWidget>
#include <functional>
#include <memory>

class AppState;
class Database;
class PageStore;
class QLabel;
class QTableWidget;

// "Week at a Glance": seven days by technicians, each cell the hours booked of the hours the page
// starts with, a bar and the percentage; closed days grey; the week's totals per technician and
// for the shop. Reads the pages as stored through its own connection and follows other stations'
// changes; a double click (or Enter) on a day opens it on the day page.
class WeekGlanceWindow : public QWidget {
    Q_OBJECT
public:
    using DayOpener = std::function<void(const QDate &)>;
    static constexpr int RefreshMs = 1000;

    // Throws AppError when the shared database cannot be opened.
    WeekGlanceWindow(AppState &state, const QDate &day, DayOpener openDay, QWidget *parent);
    ~WeekGlanceWindow() override;

    const WeekGlance &week() const { return m_week; }
    void showWeek(const QDate &anyDay);
    void moveWeeks(int weeks) { showWeek(m_week.monday.addDays(7 * weeks)); }
    // Reads the week again when another station (or this one) changed the database.
    void pollChanges();
    // The day of a table column, none for the week's totals.
    QDate dayOfColumn(int col) const;

    // The text a cell shows for its hours.
    static QString cellText(const WeekGlance::Hours &h);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fill();
    void openColumn(int col);

    AppState &m_state;
    DayOpener m_openDay;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<PageStore> m_store;
    WeekGlance m_week;
    qint64 m_dataVersion = -1;
    QLabel *m_lblWeek = nullptr;
    QTableWidget *m_table = nullptr;
};
