#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Database;

// The records of one table chosen by a condition, in a given order: what a data grid shows
// when it is bound to a query. The condition's values are always bound, never pasted in. A
// field written through it is written to the database at once, by the engine's own edit and
// update on that record, so optimistic locking applies as everywhere else.
class TableQueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // condition and order are the program's own SQL (with ? for each bound value), or empty.
    TableQueryModel(Database &db, const QString &table, const QString &condition = QString(),
                    const QVariantList &binds = {}, const QString &order = QString(), QObject *parent = nullptr);

    // Reads the records again.
    void requery();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const QString &table() const { return m_table; }
    const QStringList &fieldNames() const { return m_fields; }
    int fieldIndex(const QString &name) const; // case-insensitive, -1 when missing
    // Declared as text (text and memo fields alike).
    bool isTextField(const QString &name) const;
    QVariant field(int row, const QString &name) const;
    // Edit, set and update that one record; failures come as AppError (3197, 3186, 3167...).
    void setField(int row, const QString &name, const QVariant &value);

    // How a field's value reads in a grid cell: nothing for a null.
    static QString valueText(const QVariant &value);

private:
    Database &m_db;
    QString m_table;
    QString m_condition;
    QVariantList m_binds;
    QString m_order;
    QStringList m_fields;
    QVector<bool> m_text;
    QVector<qint64> m_rowids;
    QVector<QVariantList> m_rows;
};
