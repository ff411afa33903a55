#pragma once
#include "daypage/PageText.h"
#include "store/AppError.h"
#include "store/SettingsStore.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <optional>

class Database;

// A page as every write names it: by its record and its date, so a write meant for a page that
// was deleted, or made again, never lands on another date's page.
struct PageKey {
    qint64 id = 0; // rowid
    QDate date;
};

// One page record of tbl_Appt.
struct PageRecord {
    qint64 id = 0; // rowid
    QDate date;
    qint64 version = 0; // row version: changes with every write of the record
    QString location, open, close, lunchStart, lunchClose;
    int timeslot = 30;
    int listno = 0;
    QString sites, names;
    QString data, blankPage, color, memo;
    bool clinic = false;
    PageKey key() const { return {id, date}; }
};

// What finding a free slot reads of a stored page: its grid and what lays it out. The grid text
// and colour list stay UTF-8, as stored, for scans that look only at ASCII.
struct PageGrid {
    QDate date;
    QString open, close, names;
    int timeslot = 30;
    int listno = 0;
    QByteArray data, color;
    bool clinic = false;
};

// The same as a range read hands it over, the texts as stored: valid only during the call.
struct PageGridView {
    QDate date;
    QByteArrayView open, close, names, data, color;
    int timeslot = 30;
    int listno = 0;
    bool clinic = false;
};

// The page records of the shared database. Every write is one short BEGIN IMMEDIATE transaction
// (or part of the caller's), or one statement guarded by the row version read, that applies only
// this station's own changes to the record as stored, compare-and-set: where a cell no longer holds what this station
// last saw, or the page of the key is gone, nothing is written and PageChanged is thrown.
class PageStore {
public:
    explicit PageStore(Database &db) : m_db(db) {}
    Database &database() { return m_db; }

    // The page's colour list alone, as stored now. Throws PageChanged when the page is gone.
    QString colorList(const PageKey &key) { return storedText(key, "Color"); }
    // The row version as stored now; none when the page of the key is gone.
    std::optional<qint64> version(const PageKey &key);

    // With layout, the office's layout values come in the same read (none when unset).
    std::optional<PageRecord> find(const QDate &date, std::optional<SettingsStore::Layout> *layout = nullptr);
    // The grids of the pages stored from one date to another, both included, in date order;
    // nothing is made.
    QVector<PageGrid> gridsBetween(const QDate &from, const QDate &to);
    // The same handed over one by one as read, without copying them; page() must not run
    // statements on this connection.
    void eachGrid(const QDate &from, const QDate &to, const std::function<void(const PageGridView &)> &page);
    // Throws PageChanged when the page of the key is gone.
    PageRecord load(const PageKey &key);

    struct Created {
        PageRecord page;
        bool created = false;         // this station made it
        bool templateMissing = false; // the weekday had no template: made without text
    };
    // The page of date, made from the office settings and the weekday template unless another
    // station made it first. A station holding the write lock makes this fail with 3186.
    Created create(const QDate &date);
    // The insert itself, inside the caller's write transaction.
    Created insertPage(const QDate &date);

    // What a page save writes: the colour list with the cells where mine differs from base
    // (without a base, the page's first showing, mine whole only if no list is stored yet,
    // otherwise the stored list stands), and the page text with the cells where mine differs
    // from base, the closed flag when it differs from closedBase, and blankPage (the text
    // written) when asked. counterRow: as PageText::applied.
    struct ColorsToSave {
        std::optional<QVector<qint64>> base;
        QVector<qint64> mine;
    };
    struct TextToSave {
        PageText::Cells base, mine;
        bool closedBase = false, closed = false, alsoBlankPage = false;
        int counterRow = -1;
    };
    struct Saved {
        std::optional<QVector<qint64>> colors; // the list as now stored, when colours were given
        std::optional<PageText::Cells> cells;  // the text as now stored, shaped like mine, when text was given
        qint64 version = 0;                    // the page's row version after the save
        qint64 readAt = 0;                     // the version read, and written over where it wrote
    };
    // Both in one statement guarded by the row version read, merged into the page as stored.
    Saved savePage(const PageKey &key, const std::optional<ColorsToSave> &colors,
                   const std::optional<TextToSave> &text);
    void setClosed(const PageKey &key, bool closed);
    // Gives the pages from a date on the office's technicians, inside the caller's transaction;
    // their time settings stay.
    void setTechnicians(const QDate &from, int listno, const QString &sites, const QString &names);

    // The daily memo of a page, written whole, compare-and-set: only while the stored text is
    // still base (or already the new text); without a base it replaces whatever is stored.
    QString memo(const PageKey &key) { return storedText(key, "Memo"); }
    void saveMemo(const PageKey &key, const std::optional<QString> &base, const QString &memo);

    // Marks an empty cell of the page text (block row r, column c) with mark in one transaction
    // and records owner as the station holding the claim. A cell outside the page's stored
    // technician columns is never marked. A cell already holding mark is taken over when the
    // station that claimed it has stopped: a booking record named under it puts its name back
    // into the cell, otherwise the claim becomes owner's. Returns the stored text after the
    // attempt; claimed tells whether this station got the slot.
    struct ClaimOwner {
        qint64 station = 0; // 0: a station not registered, which never takes a claim over
        int timeoutMs = 0;  // beats older than this are a stopped station's
    };
    struct Claim {
        bool claimed = false;
        bool tookOver = false;
        PageText::Cells cells;
        qint64 version = 0; // the page's row version after the attempt
        qint64 readAt = 0;  // the version read, and written over where it wrote
    };
    Claim claimCell(const PageKey &key, int rows, int cols, int r, int c, const QString &mark, const ClaimOwner &owner);
    // Empties the cell (text row r, column c from 0) where it still holds mark and the claim is
    // still station's. True when it did. Throws PageChanged when the page is gone.
    bool releaseCell(const PageKey &key, int r, int c, const QString &mark, qint64 station);
    // False once another station has taken the claim of the cell over.
    bool holdsClaim(const PageKey &key, int r, int c, qint64 station);

    // Deletes every page (of any date) that is untouched, inside the caller's write transaction
    // or one of its own: its text is still its blank page, its memo empty, its closed flag that of
    // its weekday in the settings as stored now, its colour list unset or what a first showing
    // stores, and no booking record names its date. Such a page is made again, from the settings
    // of that moment, when next opened. Returns how many went.
    int deleteUntouchedPages();

    // Date of the latest page before `before` (all pages when null) whose text contains name,
    // ignoring case.
    std::optional<QDate> findName(const QString &name, const QDate &before = QDate());

private:
    QString storedText(const PageKey &key, const char *field);
    // Bumps the row version of the page of the key; throws PageChanged when it is gone.
    void update(const PageKey &key, const QString &sets, QVariantList binds);
    // The same in one statement made by guardedUpdate, only while the page's row version is
    // still version: false when another station wrote the page since. Throws PageChanged when it
    // is gone.
    bool updateAt(const PageKey &key, qint64 version, const QString &sql, QVariantList binds);
    QString guardedUpdate(const QString &sets) const;

    // The statements of a page save, made once per connection: its read (no parts) and its
    // write of the parts saved.
    enum SavePart { SaveColors = 1, SaveText = 2, SaveBlankPage = 4 };
    const QString &saveSql(int parts);
    struct SaveSql {
        QString rowId, read;
        std::array<QString, 8> write;
    };
    SaveSql m_saveSql;

    Database &m_db;
};
