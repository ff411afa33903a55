#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheets and scripts read them: UTF-8, every record ended by
// CRLF, a field quoted when it holds a comma, a quote, CR or LF, quotes inside it doubled.
namespace Csv {
QByteArray field(const QString &text);
// One record with its CRLF.
QByteArray record(const QStringList &fields);
} // namespace Csv
