#pragma once
#include "store/Database.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

// A record-oriented view of a table or of a SELECT, with optimistic locking.
//
// On a table: records in stored order, read on demand, writable. Edit reads the record afresh;
// Update writes it only if nobody changed it since (3197), it still exists (3167) and the file's
// write lock can be had at once (3186). On a SELECT: a read-only snapshot.
class Recordset {
public:
    // source: a table name or a SELECT text (with ? placeholders for binds).
    Recordset(Database &db, const QString &source, const QVariantList &binds = {});
    ~Recordset();
    Recordset(Recordset &&) noexcept;
    Recordset &operator=(Recordset &&) noexcept;

    bool isTable() const;
    const QString &source() const;
    Database &database() const;

    // Re-reads the source and moves to the first record.
    void requery();
    void close();

    bool bof() const;
    bool eof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    int recordCount();
    int absolutePosition(); // 0-based, -1 without a current record

    QStringList fieldNames() const;
    int fieldCount() const;
    // Case-insensitive names. Between edit/addNew and update, reads see the pending values.
    QVariant field(const QString &name) const;
    QVariant field(int index) const;
    void setField(const QString &name, const QVariant &value);
    void setField(int index, const QVariant &value);
    QString text(const QString &name) const; // null reads as ""
    int integer(const QString &name) const;
    double number(const QString &name) const;
    bool yes(const QString &name) const;
    QDate date(const QString &name) const;

    enum EditMode { EditNone, EditInProgress, EditAdd };
    EditMode editMode() const;
    void edit();
    void addNew();
    void update();
    void cancelUpdate();
    void deleteRecord();

    using Bookmark = qint64;
    Bookmark bookmark() const;
    void setBookmark(Bookmark b);
    Bookmark lastModified() const; // record last added or changed through this recordset
    // The row version of the current record as last read (edit reads it afresh); every update
    // raises it, so a version kept from an earlier read tells whether anyone wrote since.
    qint64 version() const;

    // Named index ("CalDate", "bRecord"); seek "=" on its key values, then noMatch().
    void setIndex(const QString &name);
    void seek(const QString &op, const QVariantList &keys);
    bool noMatch() const;

    // A second cursor over the same records, with its own position.
    Recordset clone() const;

private:
    Recordset();
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A window's data source: database path, record source, refresh. An empty path releases the file.
class DataSource {
public:
    void setDatabaseName(const QString &path) { m_path = path; }
    const QString &databaseName() const { return m_path; }
    void setRecordSource(const QString &source, const QVariantList &binds = {})
    {
        m_source = source;
        m_binds = binds;
    }
    const QString &recordSource() const { return m_source; }
    // Opens or re-opens the recordset on its first record.
    void refresh();
    bool isOpen() const { return m_rs != nullptr; }
    Recordset &recordset();
    Database &database();

private:
    QString m_path;
    QString m_source;
    QVariantList m_binds;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<Recordset> m_rs;
};
