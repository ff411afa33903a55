#include "booking/Picklist.h"

#include "store/Database.h"
#include "store/SettingsStore.h"

using namespace BookingEntry;

namespace {
constexpr int JobEntries = 21;

QVector<PicklistColumn> jobColumns(const char *names, const char *times, const char *prices)
{
    return {{QStringLiteral("txtM"), QLatin1String(names), JobEntries, true},
            {QStringLiteral("txtTime"), QLatin1String(times), JobEntries, true},
            {QStringLiteral("txtPrice"), QLatin1String(prices), JobEntries, true}};
}
} // namespace

Picklist::Picklist(PicklistKind kind) : m_kind(kind)
{
    switch (kind) {
    case PicklistKind::Mainten: m_columns = jobColumns("dMainten", "dTMainten", "dPMainten"); break;
    case PicklistKind::MenuItems: m_columns = jobColumns("dMenu", "dTMenu", "dPMenu"); break;
    case PicklistKind::Internal: m_columns = jobColumns("dInternal", "dTInternal", "dPInternal"); break;
    case PicklistKind::Vehicle:
        m_columns = {{QStringLiteral("txtM"), QStringLiteral("dVehicle"), JobEntries, true}};
        break;
    case PicklistKind::Make: m_columns = {{QStringLiteral("txtM"), QStringLiteral("dMake"), JobEntries, true}}; break;
    case PicklistKind::Address:
        m_columns = {{QStringLiteral("txtDCity"), QStringLiteral("dCity"), 1, false},
                     {QStringLiteral("txtM"), QStringLiteral("dCOthers"), 12, true},
                     {QStringLiteral("txtDProv"), QStringLiteral("dProv"), 1, false},
                     {QStringLiteral("txtOProv"), QStringLiteral("dPOthers"), 2, true}};
        break;
    }
    for (const PicklistColumn &c : m_columns)
        m_texts << QStringList(QList<QString>(c.count, QString()));
    m_selected = QVector<bool>(m_columns.first().count, false);
}

QString Picklist::formName() const
{
    switch (m_kind) {
    case PicklistKind::Mainten: return QStringLiteral("frmMainten");
    case PicklistKind::MenuItems: return QStringLiteral("frmMenuItems");
    case PicklistKind::Internal: return QStringLiteral("frmInternal");
    case PicklistKind::Vehicle: return QStringLiteral("frmVehicle");
    case PicklistKind::Make: return QStringLiteral("frmMake");
    case PicklistKind::Address: return QStringLiteral("frmAddress");
    }
    return {};
}

QString Picklist::caption() const
{
    switch (m_kind) {
    case PicklistKind::Mainten: return QStringLiteral("Maintenance Items");
    case PicklistKind::MenuItems: return QStringLiteral("Menu Items");
    case PicklistKind::Internal: return QStringLiteral("Internal Items");
    case PicklistKind::Vehicle: return QStringLiteral("Vehicle Model");
    case PicklistKind::Make: return QStringLiteral("Vehicle Make");
    case PicklistKind::Address: return QStringLiteral("City/Province");
    }
    return {};
}

bool Picklist::isJobList() const
{
    return m_kind == PicklistKind::Mainten || m_kind == PicklistKind::MenuItems || m_kind == PicklistKind::Internal;
}

int Picklist::multiPick() const
{
    return m_kind == PicklistKind::MenuItems ? 5 : m_kind == PicklistKind::Internal ? 2 : 0;
}

bool Picklist::acceptable(const PicklistColumn &column, const QString &text)
{
    return !column.list || !text.contains(QLatin1Char('%'));
}

bool Picklist::setText(int column, int index, const QString &text)
{
    if (!acceptable(m_columns.at(column), text))
        return false;
    m_texts[column][index] = text;
    return true;
}

QStringList Picklist::readList(const QString &text, int count)
{
    QStringList out(QList<QString>(count, QString()));
    if (text.isEmpty())
        return out;
    const QStringList items = text.split(QLatin1Char('%'));
    for (int i = 0; i < count && i < items.size(); ++i)
        out[i] = items.at(i);
    return out;
}

QString Picklist::buildList(const QStringList &entries)
{
    QString s;
    for (const QString &e : entries)
        s += e + QLatin1Char('%');
    return s;
}

void Picklist::load(Database &db)
{
    QStringList fields;
    for (const PicklistColumn &c : m_columns)
        fields << c.field;
    const QStringList stored = SettingsStore(db).lists(fields);
    for (int c = 0; c < m_columns.size(); ++c) {
        m_texts[c] = m_columns.at(c).list ? readList(stored.at(c), m_columns.at(c).count) : QStringList{stored.at(c)};
    }
}

void Picklist::save(Database &db)
{
    QStringList fields, values;
    for (int c = 0; c < m_columns.size(); ++c) {
        const PicklistColumn &col = m_columns.at(c);
        fields << col.field;
        values << (col.list ? buildList(m_texts.at(c)) : m_texts.at(c).first());
    }
    SettingsStore(db).saveLists(fields, values);
}

Picklist::Pick Picklist::pick(int column, int index) const
{
    Pick p;
    if (isJobList() && column != 0)
        return p; // only a job's name picks it
    const QString &box = m_columns.at(column).control;
    switch (m_kind) {
    case PicklistKind::Mainten:
        p.writes = {{Mainten, text(0, index)}, {Time0, text(1, index)}};
        p.total = true;
        break;
    case PicklistKind::Vehicle: p.writes = {{Vehicle, text(column, index)}}; break;
    case PicklistKind::Make: p.writes = {{Make, text(column, index)}}; break;
    case PicklistKind::Address:
        if (box == QLatin1String("txtDCity") || box == QLatin1String("txtM"))
            p.writes = {{City, text(column, index)}};
        else
            p.writes = {{Prov, text(column, index)}};
        break;
    case PicklistKind::MenuItems:
    case PicklistKind::Internal: break;
    }
    return p;
}

void Picklist::toggle(int index)
{
    if (index >= 0 && index < m_selected.size())
        m_selected[index] = !m_selected.at(index);
}

void Picklist::clearSelection() { m_selected.fill(false); }

Picklist::Pick Picklist::applySelection() const
{
    Pick p;
    const int n = multiPick();
    if (n == 0)
        return p;
    const Id firstName = m_kind == PicklistKind::MenuItems ? Menu1 : Internal1;
    const int firstTime = m_kind == PicklistKind::MenuItems ? 1 : 6;
    int k = 0;
    for (int i = 0; i < m_selected.size() && k < n; ++i) {
        if (!m_selected.at(i))
            continue;
        p.writes << Write{Id(firstName + k), text(0, i)} << Write{time(firstTime + k), text(1, i)};
        ++k;
    }
    for (; k < n; ++k)
        p.writes << Write{Id(firstName + k), QString()} << Write{time(firstTime + k), QString()};
    p.total = true;
    return p;
}
