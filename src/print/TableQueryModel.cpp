#include "print/TableQueryModel.h"

#include "core/Numbers.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Recordset.h"

namespace {
QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }
} // namespace

TableQueryModel::TableQueryModel(Database &db, const QString &table, const QString &condition,
                                 const QVariantList &binds, const QString &order, QObject *parent)
    : QAbstractTableModel(parent), m_db(db), m_table(table), m_condition(condition), m_binds(binds), m_order(order)
{
    m_fields = m_db.fieldNames(m_table);
    if (m_fields.isEmpty())
        throw AppError(3078,
                       QStringLiteral("The database engine cannot find the input table or query '%1'.").arg(m_table));
    const ResultRows types = m_db.select(m_db.engine().columnsQuery(), {m_table});
    m_text = QVector<bool>(m_fields.size(), false);
    for (const QVariantList &row : types.rows) {
        const int i = fieldIndex(row.at(0).toString());
        if (i >= 0)
            m_text[i] = row.at(1).toString().contains(QLatin1String("TEXT"), Qt::CaseInsensitive)
                        || row.at(1).toString().contains(QLatin1String("CHAR"), Qt::CaseInsensitive)
                        || row.at(1).toString().contains(QLatin1String("MEMO"), Qt::CaseInsensitive);
    }
    requery();
}

void TableQueryModel::requery()
{
    QStringList cols;
    for (const QString &f : m_fields)
        cols << quoted(f);
    QString sql = QStringLiteral("SELECT %1, %2 FROM %3")
                      .arg(m_db.engine().rowId(), cols.join(QLatin1Char(',')), quoted(m_table));
    if (!m_condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + m_condition;
    if (!m_order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + m_order;
    const ResultRows r = m_db.select(sql, m_binds);
    beginResetModel();
    m_rowids.clear();
    m_rows.clear();
    for (QVariantList row : r.rows) {
        m_rowids << row.takeFirst().toLongLong();
        m_rows << row;
    }
    endResetModel();
}

int TableQueryModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int TableQueryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant TableQueryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_fields.size())
        return {};
    const QVariant &v = m_rows.at(index.row()).at(index.column());
    if (role == Qt::DisplayRole)
        return valueText(v);
    if (role == Qt::EditRole)
        return v;
    return {};
}

QVariant TableQueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < m_fields.size())
        return m_fields.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

int TableQueryModel::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool TableQueryModel::isTextField(const QString &name) const
{
    const int i = fieldIndex(name);
    return i >= 0 && m_text.at(i);
}

QVariant TableQueryModel::field(int row, const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection: ") + name);
    if (row < 0 || row >= m_rows.size())
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    return m_rows.at(row).at(i);
}

void TableQueryModel::setField(int row, const QString &name, const QVariant &value)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection: ") + name);
    if (row < 0 || row >= m_rows.size())
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    // A table recordset's bookmark is the record's rowid.
    Recordset rs(m_db, m_table);
    rs.setBookmark(m_rowids.at(row));
    rs.edit();
    rs.setField(m_fields.at(i), value);
    rs.update();
    m_rows[row][i] = value;
    emit dataChanged(index(row, i), index(row, i));
}

QString TableQueryModel::valueText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return numberText(value.toFloat());
    return value.toString();
}
