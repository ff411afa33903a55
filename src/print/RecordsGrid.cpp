#include "print/RecordsGrid.h"

#include "print/TableQueryModel.h"
#include "store/BookingStore.h"

std::unique_ptr<TableQueryModel> dayRecords(Database &db, const QDate &date)
{
    const BookingListing l = BookingStore::dayListing(date);
    return std::make_unique<TableQueryModel>(db, l.table, l.condition, l.binds, l.order);
}

DataGridLayout recordsLayout()
{
    DataGridLayout l;
    struct Col {
        const char *field, *caption;
        int width;
        int alignment;
    };
    static const Col cols[] = {
        {"bTime", "Time", 1000, DataGridColumn::Center},         {"bTech", "Technician", 1400, DataGridColumn::Left},
        {"bName", "Customer", 1900, DataGridColumn::Left},       {"bPhone", "Phone", 1400, DataGridColumn::Left},
        {"bVehicle", "Year", 700, DataGridColumn::Center},       {"bMake", "Make", 1100, DataGridColumn::Left},
        {"bMainten", "Maintenance", 2000, DataGridColumn::Left}, {"bMenu1", "Service", 1800, DataGridColumn::Left},
        {"bTTime", "Hours", 800, DataGridColumn::Right},         {"bComments", "Comments", 1500, DataGridColumn::Left},
    };
    for (const Col &c : cols) {
        DataGridColumn col;
        col.dataField = QLatin1String(c.field);
        col.caption = QLatin1String(c.caption);
        col.width = float(c.width);
        col.alignment = c.alignment;
        l.columns << col;
    }
    l.headFont = QFont(QStringLiteral("Arial"), 8);
    l.headFont.setBold(true);
    l.font = QFont(QStringLiteral("Arial"), 8);
    l.rowHeight = 255;
    return l;
}

RecordsGridModel::RecordsGridModel(TableQueryModel &records, const DataGridLayout &layout, QObject *parent)
    : QAbstractTableModel(parent), m_records(records), m_layout(layout)
{
    connect(&m_records, &QAbstractItemModel::modelReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int RecordsGridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_records.rowCount(); }

int RecordsGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_layout.columns.size());
}

QVariant RecordsGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_layout.columns.size())
        return {};
    const DataGridColumn &col = m_layout.columns.at(index.column());
    if (role == Qt::DisplayRole)
        return TableQueryModel::valueText(m_records.field(index.row(), col.dataField));
    if (role == Qt::TextAlignmentRole) {
        const Qt::Alignment h = col.alignment == DataGridColumn::Right    ? Qt::AlignRight
                                : col.alignment == DataGridColumn::Center ? Qt::AlignHCenter
                                                                          : Qt::AlignLeft;
        return int(h | Qt::AlignVCenter);
    }
    return {};
}

QVariant RecordsGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < m_layout.columns.size())
        return m_layout.columns.at(section).caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}
