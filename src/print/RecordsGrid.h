#pragma once
#include "print/DBGridImport.h"

#include <QAbstractTableModel>
#include <QDate>
#include <memory>

class Database;
class TableQueryModel;

// The booking records of one date as the records view lists them: by technician column, then
// by time-slot row. Records of abandoned bookings (no customer name) are left out: they hold
// no booking. The date is bound as a value.
std::unique_ptr<TableQueryModel> dayRecords(Database &db, const QDate &date);

// The records view's columns: the fields shown, their captions and their default widths.
DataGridLayout recordsLayout();

// The data grid on screen: one column per layout column, the bound field's value as text.
class RecordsGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RecordsGridModel(TableQueryModel &records, const DataGridLayout &layout, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TableQueryModel &m_records;
    const DataGridLayout &m_layout;
};
