#include "print/PrintSettings.h"

#include "core/ListText.h"
#include "store/Database.h"

#include <cmath>

namespace {
void checkField(const char *field)
{
    static const char *const known[] = {"PWidth", "DWidth", "cwidth", "Printmode", "FillPage", "dMode", "dFillPage"};
    for (const char *k : known)
        if (qstrcmp(k, field) == 0)
            return;
    throw AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection."));
}

QVariant setupValue(Database &db, const char *field)
{
    checkField(field);
    const ResultRows r =
        db.select(QStringLiteral("SELECT \"%1\" FROM \"tbl_Setup\" LIMIT 1").arg(QLatin1String(field)));
    if (r.isEmpty())
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    return r.rows.at(0).at(0);
}
} // namespace

QString PrintSettings::widthList(const char *field) { return setupValue(m_db, field).toString(); }

void PrintSettings::saveWidthList(const char *field, const QVector<int> &widths)
{
    checkField(field);
    WriteTransaction tx(m_db);
    if (m_db.execute(
            QStringLiteral("UPDATE \"tbl_Setup\" SET \"%1\" = ?, rowver = rowver + 1").arg(QLatin1String(field)),
            {formatWidths(widths)})
        == 0)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    tx.commit();
}

PrintSettings::Preview PrintSettings::preview(const char *modeField, const char *fillField)
{
    Preview p;
    p.orientation = setupValue(m_db, modeField).toInt() == 2 ? 2 : 1;
    p.fill = setupValue(m_db, fillField).toInt() != 0;
    return p;
}

void PrintSettings::savePreview(const char *modeField, const char *fillField, const Preview &p)
{
    checkField(modeField);
    checkField(fillField);
    WriteTransaction tx(m_db);
    if (m_db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"%1\" = ?, \"%2\" = ?, rowver = rowver + 1")
                         .arg(QLatin1String(modeField), QLatin1String(fillField)),
                     {p.orientation == 2 ? 2 : 1, p.fill ? 1 : 0})
        == 0)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    tx.commit();
}

QString PrintSettings::formatWidths(const QVector<int> &widths)
{
    QStringList items;
    for (int w : widths)
        items << QString::number(w);
    return joinList(items, true);
}

QVector<int> PrintSettings::parseWidths(const QString &list)
{
    QVector<int> out;
    QStringList items = splitPlain(list, QLatin1Char('%'));
    // The list ends with "%": its last, empty item is no entry.
    if (!items.isEmpty() && items.last().trimmed().isEmpty())
        items.removeLast();
    for (const QString &item : items) {
        bool ok = false;
        const double w = item.trimmed().toDouble(&ok);
        out << (ok && w >= 0 && w <= 32767.5 ? int(std::nearbyint(w)) : -1);
    }
    return out;
}
