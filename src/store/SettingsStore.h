#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>

class Database;

// The office settings a page is made and laid out from (the one tbl_Setup record).
struct OfficeSettings {
    QString location, open, close, lunchStart, lunchClose;
    int timeslot = 30;
    int rHeight = 1;
    int listno = 0;
    QString sites, names, skills, spare, cwidth;
    QString fixedMemo, lblColors;
    // Weekday templates and closed flags by weekday number, Sunday 1 to Saturday 7. A template
    // without a value is a null QVariant.
    std::array<QVariant, 8> templates;
    std::array<bool, 8> closed{};

    static int weekdayNumber(const QDate &d) { return d.dayOfWeek() % 7 + 1; } // Sunday 1
};

// What the office setup window writes: hours, slot length and the technicians.
struct OfficeHours {
    QString location, open, close;
    int timeslot = 30;
    int rHeight = 1;
    int listno = 0;
    QString sites, names, cwidth, skills;
};

// The owner of the office's settings: the one record of tbl_Setup (hours, technicians, weekday
// templates, legend captions, print settings, memos) and the one record of tbl_Setup2 (the
// picklists). All SQL against them is here. Reads of a missing record throw NoCurrentRecord (3021)
// unless said otherwise; writes bump the record's row version so stations polling it see them.
class SettingsStore {
public:
    // For windows that keep the record open as a data source.
    static const QString SetupTable; // tbl_Setup
    static const QString ListsTable; // tbl_Setup2

    explicit SettingsStore(Database &db) : m_db(db) {}

    OfficeSettings office();
    // Only what laying out a page needs: RHeight and cwidth.
    struct Layout {
        int rHeight = 1;
        QString cwidth;
    };
    Layout layout();
    // The same two values as columns any query of another table can add (null without a
    // settings record), so a page is read with them in one statement.
    static QString layoutColumns();
    // Those columns as read; none when the record was missing.
    static std::optional<Layout> layoutFrom(const QVariant &rHeight, const QVariant &cwidth);
    // Inside the caller's write transaction or one of its own.
    void saveOffice(const OfficeHours &h);

    // A weekday's template (null when the weekday has none) and closed flag; weekday 1 is Sunday.
    struct DayTemplate {
        QVariant text;
        bool closed = false;
    };
    DayTemplate dayTemplate(int weekday);
    // The template, its closed flag and the day page's column widths, written together.
    void saveDayTemplate(int weekday, const QString &text, bool closed, const QString &cwidth);
    // The template text alone, as the office's hours move it; inside the caller's transaction.
    void moveDayTemplate(int weekday, const QString &text);

    // The technicians' skill list; none without a settings record. Every search for a slot reads
    // it, so the statement stays prepared.
    std::optional<QString> skills();
    // The skill list and the number of technicians as stored now, for a change of one column.
    struct SkillsRecord {
        QString skills;
        int listno = 0;
    };
    std::optional<SkillsRecord> skillsRecord();
    void saveSkills(const QString &skills);

    // The legend captions joined by "%"; empty without a record.
    QString legendCaptions();
    void saveLegendCaptions(const QString &joined);

    // Texts shown on the day page. Each is written whole, compare-and-set: only while the stored
    // text is still base (or already the new one); without a base it replaces whatever is stored.
    // A clash throws PageChanged (3198).
    QString labelColors() { return text("Lblcolors"); }
    QString fixedMemo() { return text("FixedMemo"); }
    void saveFixedMemo(const std::optional<QString> &base, const QString &memo) { saveText("FixedMemo", base, memo); }
    QString bookNo() { return text("Bookno"); }
    void saveBookNo(const std::optional<QString> &base, const QString &number) { saveText("Bookno", base, number); }

    // Column width lists of the printable views, each written whole (last writer wins).
    enum class Widths { DayView, RecordsView, DayPage };
    QString widths(Widths which);
    void saveWidths(Widths which, const QString &list);
    // A preview's stored orientation (1 portrait, 2 landscape) and fill choice.
    enum class Preview { DayView, RecordsView };
    struct PreviewChoice {
        int mode = 1;
        bool fill = false;
    };
    PreviewChoice preview(Preview which);
    void savePreview(Preview which, const PreviewChoice &choice);

    // Picklist fields of tbl_Setup2 by name, in the order asked; a missing record reads as empty.
    QStringList lists(const QStringList &fields);
    // Writes the fields in one update of the record, refused with 3197 when another station
    // wrote it between the read and the write.
    void saveLists(const QStringList &fields, const QStringList &values);
    // The city and province a new booking starts with (null without a record).
    struct Place {
        QVariant city, prov;
    };
    Place defaultPlace();

private:
    QString text(const char *field);
    void saveText(const char *field, const std::optional<QString> &base, const QString &text);
    // Runs an UPDATE of the settings record; NoCurrentRecord when there is none.
    void update(const QString &sets, const QVariantList &binds);
    Database &m_db;
};
