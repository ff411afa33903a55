#pragma once
#include "core/GridModel.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>

class Database;
struct OfficeSettings;

// The office settings as the office setup window edits them: the texts of its boxes and the
// technician grid (row 1 the sites, row 2 the names, column i technician i, whose widths become
// the day page's). Nothing reaches the database before save(): a window closed without saving
// leaves the stored settings as they were.
//
// save() checks everything first and then writes the settings record, deletes the untouched
// pages and brings the technician lists of the pages from today on up to date in one write
// transaction: all of it or none. Each technician keeps the skills stored for its column. New
// opening hours or slot length move the weekday templates' cells to the rows of their clock time.
class OfficeSetup {
public:
    enum Field { Location, OpenHour, OpenMinute, OpenAmPm, CloseHour, CloseMinute, CloseAmPm, Slot, Lines, Count };
    static constexpr int FieldCount = Count + 1;
    static constexpr int MaxTechs = 32;
    static const QString NoSkills; // "0 0 0 0 0 0 0 0 0 0 0"

    // Reads the settings record. Throws AppError.
    explicit OfficeSetup(Database &db);

    GridModel &grid() { return m_grid; }
    QString text(Field f) const { return m_text[f]; }
    void setText(Field f, const QString &text) { m_text[f] = text; }
    // Technicians the grid has now.
    int count() const { return m_grid.cols() - 1; }
    // As stored when the window loaded (or last saved).
    int storedCount() const { return m_storedCount; }

    // The rule of a box when it is left: the text it keeps (a one-digit hour or minute gets its
    // "0", AM/PM made good, the count clamped to 1..32), or nullopt when the value is refused and
    // the focus goes back.
    static std::optional<QString> left(Field f, const QString &text);
    // "%" would split a site, a name or a caption in its stored list.
    static bool isRefusedInList(const QString &text) { return text.contains(QLatin1Char('%')); }

    // Takes the count box's value as the technician count and rebuilds the grid for it. A column
    // dropped and brought back by a later count gets back the width, site and name it had; a
    // column never shown takes what the settings hold for it.
    void applyCount();
    // Location, hours and slot length back to the office defaults, the count back to the stored
    // one. Names, sites, widths and lines per slot stay.
    void reset();

    QString openText() const;  // "08:00 AM"
    QString closeText() const; // "05:00 PM"
    QString sitesText() const; // each followed by "%"
    QString namesText() const;
    QString cwidthText() const;
    // One entry per technician, joined by "%": the stored entry of its column, or no skills for a
    // technician who had none.
    QString skillsText() const;
    bool techsAdded() const { return count() > m_storedSkills.size(); }

    // Okay's checks, before anything is written: the first box whose value is refused.
    std::optional<Field> refusedField() const;
    bool closingBeforeOpening() const;
    // Bookings from today on in the columns the new count drops.
    struct Hidden {
        QDate date;
        int col = 0;
    };
    QVector<Hidden> hiddenBookings(const QDate &today);

    // Template cells the last save dropped because their time has no row in the new hours, one
    // line per weekday, time and text: "Monday 12:30 PM, columns 1, 2: LUNCH".
    const QStringList &droppedTemplateCells() const { return m_droppedCells; }

    // The write. Another station running (a fresh heartbeat other than self) refuses it with
    // ErrNo::InUse; a held lock fails with 3186 after a short wait. Throws AppError; nothing is
    // written then. Returns the number of untouched pages deleted.
    int save(const QDate &today, qint64 self, int timeoutMs);

private:
    void buildGrid(int n);
    void moveTemplates(const OfficeSettings &stored);
    // The grid's columns into the lists every rebuild takes them from.
    void keepColumns();
    QString rowText(int row) const;

    Database &m_db;
    GridModel m_grid;
    std::array<QString, FieldCount> m_text;
    int m_storedCount = 0;
    QStringList m_storedSkills;
    // Every column seen since loading, also those the count dropped: widths from column 0 (0 for
    // none), sites and names from technician 1.
    QVector<int> m_widths;
    QStringList m_sites, m_names;
    QStringList m_droppedCells;
};
