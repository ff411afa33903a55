#include "store/Recordset.h"

#include "store/Engine.h"
#include "store/PassedOver.h"

#include <QDate>
#include <QSqlQuery>
#include <algorithm>

namespace {
QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

AppError noCurrentRecord() { return AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record.")); }
AppError recordDeleted() { return AppError(ErrNo::RecordDeleted, QStringLiteral("Record is deleted.")); }
AppError readOnly()
{
    return AppError(ErrNo::NotUpdatable, QStringLiteral("Cannot update. Database or object is read-only."));
}
} // namespace

struct Recordset::Impl {
    Database *db = nullptr;
    QString source;
    QVariantList binds;
    bool table = false;
    QStringList fields;
    QHash<QString, int> fieldIndex; // lower-case name -> position

    // Table mode: rowids in stored order, read when a move needs them.
    QVector<qint64> ids;
    bool idsLoaded = false;
    qint64 cur = -1; // rowid of the current record, -1 when none
    int pos = -1;    // index into ids while idsLoaded; -1 before the first
    bool bof = true;
    bool eof = true;
    bool onDeleted = false;

    QVariantList values; // current record as read
    qint64 version = 0;
    bool loaded = false;

    EditMode mode = EditNone;
    QVariantList buffer;
    QVector<bool> dirty;
    qint64 editVersion = 0;
    qint64 lastModified = -1;

    QStringList indexCols;
    bool noMatch = false;

    // Select mode.
    QVector<QVariantList> rows;

    int column(const QString &name) const
    {
        const auto it = fieldIndex.constFind(name.toLower());
        if (it == fieldIndex.constEnd())
            throw AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection: ") + name);
        return it.value();
    }

    QString rowId() const { return db->engine().rowId(); }

    void setFields(const QStringList &names)
    {
        fields = names;
        fieldIndex.clear();
        for (int i = 0; i < names.size(); ++i)
            fieldIndex.insert(names.at(i).toLower(), i);
    }

    QString columnList() const
    {
        QStringList q;
        for (const QString &f : fields)
            q << quoted(f);
        return q.join(QLatin1Char(','));
    }

    void forget()
    {
        loaded = false;
        values.clear();
        onDeleted = false;
    }

    void loadIds()
    {
        if (idsLoaded)
            return;
        ids.clear();
        const ResultRows r = db->select(QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(rowId(), quoted(source)));
        ids.reserve(r.rows.size());
        for (const auto &row : r.rows)
            ids << row.at(0).toLongLong();
        idsLoaded = true;
        if (cur >= 0)
            pos = int(std::lower_bound(ids.begin(), ids.end(), cur) - ids.begin());
    }

    void placeAt(int index)
    {
        forget();
        const int n = table ? int(ids.size()) : int(rows.size());
        if (index < 0) {
            pos = -1;
            cur = -1;
            bof = true;
            eof = n == 0;
        } else if (index >= n) {
            pos = n;
            cur = -1;
            eof = true;
            bof = n == 0;
        } else {
            pos = index;
            cur = table ? ids.at(index) : index;
            bof = eof = false;
        }
    }

    void placeOn(qint64 rowid)
    {
        forget();
        cur = rowid;
        bof = eof = false;
        if (idsLoaded)
            pos = int(std::lower_bound(ids.begin(), ids.end(), rowid) - ids.begin());
    }

    void ensureLoaded()
    {
        if (cur < 0 || onDeleted)
            throw noCurrentRecord();
        if (loaded)
            return;
        if (!table) {
            values = rows.at(int(cur));
            loaded = true;
            return;
        }
        const ResultRows r =
            db->select(QStringLiteral("SELECT %1,%2 FROM %3 WHERE %4 = ?")
                           .arg(quoted(Database::RowVersionColumn), columnList(), quoted(source), rowId()),
                       {cur});
        if (r.rows.isEmpty())
            throw recordDeleted();
        version = r.rows.at(0).at(0).toLongLong();
        values = r.rows.at(0).mid(1);
        loaded = true;
    }

    // Runs f inside a write transaction unless the caller already holds one.
    template <class F>
    void write(F &&f)
    {
        const bool own = !db->inTransaction();
        if (own)
            db->begin();
        try {
            f();
            if (own)
                db->commit();
        } catch (...) {
            if (own)
                db->rollback();
            throw;
        }
    }

    void open()
    {
        mode = EditNone;
        noMatch = false;
        idsLoaded = false;
        ids.clear();
        rows.clear();
        cur = -1;
        forget();
        if (table) {
            setFields(db->fieldNames(source));
            if (fields.isEmpty())
                throw AppError(3078,
                               QStringLiteral("The database engine cannot find the input table '%1'.").arg(source));
            QVariant first;
            try {
                first =
                    db->scalar(QStringLiteral("SELECT %1 FROM %2 ORDER BY %1 LIMIT 1").arg(rowId(), quoted(source)));
            } catch (const AppError &e) {
                // The columns were known from before: the table may have gone since.
                if (e.number() == ErrNo::RecordLocked || e.number() == ErrNo::NoAnswer || db->inTransaction())
                    throw;
                bool gone = false;
                try {
                    gone = db->fieldNames(source).isEmpty();
                } catch (const AppError &) {
                }
                if (gone)
                    throw AppError(3078,
                                   QStringLiteral("The database engine cannot find the input table '%1'.").arg(source));
                throw;
            }
            if (first.isValid()) {
                placeOn(first.toLongLong());
                pos = 0;
            } else {
                placeAt(-1);
            }
        } else {
            const ResultRows r = db->select(source, binds);
            setFields(r.columns);
            rows = r.rows;
            placeAt(0);
        }
    }
};

Recordset::Recordset(Database &db, const QString &source, const QVariantList &binds) : d(new Impl)
{
    d->db = &db;
    d->source = source.trimmed();
    d->binds = binds;
    d->table = !d->source.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)
               && !d->source.startsWith(QLatin1String("WITH"), Qt::CaseInsensitive);
    d->open();
}

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset &&) noexcept = default;
Recordset &Recordset::operator=(Recordset &&) noexcept = default;

bool Recordset::isTable() const { return d->table; }
const QString &Recordset::source() const { return d->source; }
Database &Recordset::database() const { return *d->db; }

void Recordset::requery() { d->open(); }

void Recordset::close()
{
    d->ids.clear();
    d->rows.clear();
    d->idsLoaded = false;
    d->placeAt(-1);
}

bool Recordset::bof() const { return d->bof; }
bool Recordset::eof() const { return d->eof; }

void Recordset::moveFirst()
{
    if (d->table)
        d->loadIds();
    d->placeAt(0);
}

void Recordset::moveLast()
{
    if (d->table)
        d->loadIds();
    d->placeAt(int(d->table ? d->ids.size() : d->rows.size()) - 1);
}

void Recordset::moveNext()
{
    if (d->eof)
        throw noCurrentRecord();
    if (d->table)
        d->loadIds();
    d->placeAt(d->onDeleted ? d->pos : d->pos + 1);
}

void Recordset::movePrevious()
{
    if (d->bof)
        throw noCurrentRecord();
    if (d->table)
        d->loadIds();
    d->placeAt(d->pos - 1);
}

int Recordset::recordCount()
{
    if (d->table) {
        d->loadIds();
        return int(d->ids.size());
    }
    return int(d->rows.size());
}

int Recordset::absolutePosition()
{
    if (d->cur < 0 || d->onDeleted)
        return -1;
    if (d->table)
        d->loadIds();
    return d->pos;
}

QStringList Recordset::fieldNames() const { return d->fields; }
int Recordset::fieldCount() const { return int(d->fields.size()); }

QVariant Recordset::field(int index) const
{
    if (index < 0 || index >= d->fields.size())
        throw AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d->mode != EditNone)
        return d->buffer.at(index);
    d->ensureLoaded();
    return d->values.at(index);
}

QVariant Recordset::field(const QString &name) const { return field(d->column(name)); }

void Recordset::setField(int index, const QVariant &value)
{
    if (index < 0 || index >= d->fields.size())
        throw AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (d->mode == EditNone)
        throw AppError(ErrNo::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    d->buffer[index] = Database::toStored(value);
    d->dirty[index] = true;
}

void Recordset::setField(const QString &name, const QVariant &value) { setField(d->column(name), value); }

QString Recordset::text(const QString &name) const { return field(name).toString(); }
int Recordset::integer(const QString &name) const { return field(name).toInt(); }
double Recordset::number(const QString &name) const { return field(name).toDouble(); }
bool Recordset::yes(const QString &name) const { return field(name).toInt() != 0; }
QDate Recordset::date(const QString &name) const
{
    return QDate::fromString(field(name).toString().left(10), Qt::ISODate);
}

Recordset::EditMode Recordset::editMode() const { return d->mode; }

void Recordset::edit()
{
    if (!d->table)
        throw readOnly();
    // Edit starts from the record as stored now; update then checks nobody changed it since.
    d->loaded = false;
    d->ensureLoaded();
    d->buffer = d->values;
    d->dirty = QVector<bool>(d->fields.size(), false);
    d->editVersion = d->version;
    d->mode = EditInProgress;
}

void Recordset::addNew()
{
    if (!d->table)
        throw readOnly();
    d->buffer = QVariantList();
    for (int i = 0; i < d->fields.size(); ++i)
        d->buffer << QVariant();
    d->dirty = QVector<bool>(d->fields.size(), false);
    d->mode = EditAdd;
}

void Recordset::cancelUpdate()
{
    d->mode = EditNone;
    d->buffer.clear();
}

void Recordset::update()
{
    if (d->mode == EditNone)
        throw AppError(ErrNo::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    Database &db = *d->db;
    const QString table = quoted(d->source);
    if (d->mode == EditInProgress) {
        const qint64 id = d->cur;
        d->write([&] {
            const QVariant v = db.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                             .arg(quoted(Database::RowVersionColumn), table, d->rowId()),
                                         {id});
            if (!v.isValid())
                throw recordDeleted();
            if (v.toLongLong() != d->editVersion)
                throw AppError(ErrNo::RecordChanged,
                               QStringLiteral("The record was changed by another user since you started "
                                              "editing it."));
            QStringList sets;
            QVariantList binds;
            for (int i = 0; i < d->fields.size(); ++i) {
                if (d->dirty.at(i)) {
                    sets << quoted(d->fields.at(i)) + QStringLiteral(" = ?");
                    binds << d->buffer.at(i);
                }
            }
            sets << quoted(Database::RowVersionColumn) + QStringLiteral(" = ?");
            binds << d->editVersion + 1 << id;
            db.execute(
                QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?").arg(table, sets.join(QLatin1Char(',')), d->rowId()),
                binds);
        });
        d->values = d->buffer;
        d->version = d->editVersion + 1;
        d->loaded = true;
        d->lastModified = id;
    } else {
        qint64 newId = -1;
        d->write([&] {
            QStringList cols, marks;
            QVariantList binds;
            for (int i = 0; i < d->fields.size(); ++i) {
                if (d->dirty.at(i)) {
                    cols << quoted(d->fields.at(i));
                    marks << QStringLiteral("?");
                    binds << d->buffer.at(i);
                }
            }
            const QString sql = cols.isEmpty()
                                    ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
            db.execute(sql, binds);
            newId = db.lastInsertId();
        });
        d->lastModified = newId;
        if (d->idsLoaded) {
            d->ids.insert(std::lower_bound(d->ids.begin(), d->ids.end(), newId), newId);
            if (d->cur >= 0 && !d->onDeleted)
                d->pos = int(std::lower_bound(d->ids.begin(), d->ids.end(), d->cur) - d->ids.begin());
        }
    }
    d->mode = EditNone;
    d->buffer.clear();
}

void Recordset::deleteRecord()
{
    if (!d->table)
        throw readOnly();
    if (d->cur < 0 || d->onDeleted)
        throw noCurrentRecord();
    const qint64 id = d->cur;
    Database &db = *d->db;
    d->write([&] {
        if (db.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(d->source), d->rowId()), {id}) == 0)
            throw recordDeleted();
    });
    if (d->idsLoaded) {
        const auto it = std::lower_bound(d->ids.begin(), d->ids.end(), id);
        if (it != d->ids.end() && *it == id) {
            d->pos = int(it - d->ids.begin());
            d->ids.erase(it);
        }
    } else {
        try {
            d->loadIds();
        } catch (const AppError &e) {
            // The delete is committed: a list that cannot be read while another station writes
            // is read when next needed, rather than reporting a done delete as failed.
            PassedOver::report(QStringLiteral("Delete ") + d->source, e);
        }
    }
    d->forget();
    d->onDeleted = true;
}

Recordset::Bookmark Recordset::bookmark() const
{
    if (d->cur < 0 || d->onDeleted)
        throw noCurrentRecord();
    return d->cur;
}

void Recordset::setBookmark(Bookmark b)
{
    if (!d->table) {
        if (b < 0 || b >= d->rows.size())
            throw AppError(3159, QStringLiteral("Not a valid bookmark."));
        d->placeAt(int(b));
        return;
    }
    d->placeOn(b);
}

Recordset::Bookmark Recordset::lastModified() const
{
    if (d->lastModified < 0)
        throw noCurrentRecord();
    return d->lastModified;
}

void Recordset::setIndex(const QString &name)
{
    if (!d->table)
        throw readOnly();
    QString table;
    const QStringList cols = d->db->indexColumns(name, &table);
    if (cols.isEmpty() || table.compare(d->source, Qt::CaseInsensitive) != 0)
        throw AppError(3015, QStringLiteral("'%1' isn't an index in this table.").arg(name));
    d->indexCols = cols;
}

void Recordset::seek(const QString &op, const QVariantList &keys)
{
    if (d->indexCols.isEmpty())
        throw AppError(3019, QStringLiteral("Operation invalid without a current index."));
    if (op != QLatin1String("=") || keys.isEmpty() || keys.size() > d->indexCols.size())
        throw AppError(3001, QStringLiteral("Invalid argument."));
    QStringList where;
    for (int i = 0; i < keys.size(); ++i)
        where << quoted(d->indexCols.at(i)) + QStringLiteral(" = ?");
    const QVariant id = d->db->scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %1 LIMIT 1")
                                          .arg(d->rowId(), quoted(d->source), where.join(QStringLiteral(" AND "))),
                                      keys);
    d->noMatch = !id.isValid();
    if (d->noMatch) {
        d->forget();
        d->cur = -1;
    } else {
        d->placeOn(id.toLongLong());
    }
}

bool Recordset::noMatch() const { return d->noMatch; }

qint64 Recordset::version() const
{
    if (d->mode == EditInProgress)
        return d->editVersion;
    d->ensureLoaded();
    return d->version;
}

Recordset Recordset::clone() const
{
    Recordset r;
    r.d = std::make_unique<Impl>(*d);
    r.d->mode = EditNone;
    r.d->buffer.clear();
    return r;
}

void DataSource::refresh()
{
    m_rs.reset();
    if (m_path.isEmpty()) {
        m_db.reset();
        return;
    }
    if (!m_db || m_db->path() != m_path) {
        m_db = std::make_unique<Database>();
        m_db->open(m_path);
    }
    m_rs = std::make_unique<Recordset>(*m_db, m_source, m_binds);
}

Recordset &DataSource::recordset()
{
    if (!m_rs)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("Object invalid or no longer set."));
    return *m_rs;
}

Database &DataSource::database()
{
    if (!m_db)
        throw AppError(ErrNo::CannotOpen, QStringLiteral("The database is not open."));
    return *m_db;
}
