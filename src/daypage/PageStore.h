#pragma once
#include "daypage/PageText.h"
#include "store/AppError.h"

#include <QDate>
#include <QString>
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

// One page record of tbl_Appt.
struct PageRecord {
    qint64 id = 0; // rowid
    QDate date;
    QString location, open, close, lunchStart, lunchClose;
    int timeslot = 30;
    int listno = 0;
    QString sites, names;
    QString data, blankPage, color, memo;
    bool clinic = false;
};

// The page records of the shared database. Every write is one short BEGIN IMMEDIATE transaction
// that reads the record as stored at that moment and applies only this station's own changes,
// so one station never writes a stale copy of another station's cells.
class PageStore {
public:
    explicit PageStore(Database &db) : m_db(db) {}
    Database &database() { return m_db; }

    OfficeSettings settings();
    // Only what laying out a page needs from the settings: RHeight and cwidth.
    struct Layout {
        int rHeight = 1;
        QString cwidth;
    };
    Layout layoutSettings();
    // The page's colour list alone, as stored now. Throws 3167 when the record is gone.
    QString colorList(qint64 id) { return storedText(id, "Color"); }

    std::optional<PageRecord> find(const QDate &date);
    // Throws 3167 when the record is gone.
    PageRecord load(qint64 id);

    struct Created {
        PageRecord page;
        bool created = false;        // this station made it
        bool templateMissing = false; // the weekday had no template: made without text
    };
    // The page of date, made from the office settings and the weekday template unless another
    // station made it first. A station holding the write lock makes this fail with 3186.
    Created create(const QDate &date);
    // The insert itself, inside the caller's write transaction.
    Created insertPage(const QDate &date);

    // Writes the page text: the stored text with the cells where mine differs from base, the
    // closed flag when it differs from closedBase, and BlankPage (the merged text) when asked.
    // Returns the text as now stored, shaped like mine. counterRow: as PageText::merged.
    PageText::Cells saveText(qint64 id, const PageText::Cells &base, const PageText::Cells &mine,
                             bool closedBase, bool closed, bool alsoBlankPage, int counterRow = -1);
    // Writes only changed cells' text (typed text, claims); closed flag and BlankPage untouched.
    PageText::Cells saveCells(qint64 id, const PageText::Cells &base, const PageText::Cells &mine);
    // Writes the colour list with the cells where mine differs from base. Without a base (the
    // page's first showing) mine is written whole only if no list is stored yet; otherwise the
    // stored list stands. Returns the list as now stored.
    QVector<qint64> saveColors(qint64 id, const std::optional<QVector<qint64>> &base,
                               const QVector<qint64> &mine);
    void setClosed(qint64 id, bool closed);

    // The daily memo of a page, and the office's fixed memo, next booking number and legend
    // captions. Each is written whole: the last station to store it wins.
    QString memo(qint64 id);
    void saveMemo(qint64 id, const QString &memo);
    QString fixedMemo() { return setupText("FixedMemo"); }
    void saveFixedMemo(const QString &memo) { saveSetupText("FixedMemo", memo); }
    QString bookNo() { return setupText("Bookno"); }
    void saveBookNo(const QString &number) { saveSetupText("Bookno", number); }
    QString labelColors() { return setupText("Lblcolors"); }

    // Marks an empty cell of the page text (block row r, column c) with mark in one transaction
    // and records owner as the station holding the claim. A cell already holding mark is taken
    // over when the station that claimed it has stopped: a booking record named under it puts
    // its name back into the cell, otherwise the claim becomes owner's. Returns the stored text
    // after the attempt; claimed tells whether this station got the slot.
    struct ClaimOwner {
        qint64 station = 0; // 0: a station not registered, which never takes a claim over
        int timeoutMs = 0;  // beats older than this are a stopped station's
    };
    struct Claim {
        bool claimed = false;
        bool tookOver = false;
        PageText::Cells cells;
    };
    Claim claimCell(qint64 id, int rows, int cols, int r, int c, const QString &mark, const ClaimOwner &owner);

    // Date of the latest page before `before` (all pages when null) whose text contains name,
    // ignoring case.
    std::optional<QDate> findName(const QString &name, const QDate &before = QDate());

private:
    QString storedText(qint64 id, const char *field);
    QString setupText(const char *field);
    void saveSetupText(const char *field, const QString &text);
    Database &m_db;
};
