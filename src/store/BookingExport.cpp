#include "store/BookingExport.h"

ResultRows BookingExport::read(Database &db, const QDate &from, const QDate &to, int column)
{
    const QString table = QStringLiteral("tbl_Job");
    QStringList fields;
    // The names come from the table itself, never from the caller: quoting them is enough.
    for (const QString &name : db.fieldNames(table))
        fields << QLatin1Char('"') + name + QLatin1Char('"');
    QString sql = QStringLiteral("SELECT %1 FROM \"tbl_Job\" WHERE \"bDate\" >= ? AND \"bDate\" <= ? "
                                 "AND TRIM(COALESCE(\"bName\", '')) <> ''")
                      .arg(fields.join(QStringLiteral(", ")));
    QVariantList binds{from, to};
    if (column > 0) {
        sql += QStringLiteral(" AND \"bCol\" = ?");
        binds << column;
    }
    sql += QStringLiteral(" ORDER BY \"bDate\", \"bCol\", \"bRow\"");
    return db.select(sql, binds);
}
