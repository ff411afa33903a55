#pragma once
#include <QString>
#include <QStringList>

class Database;

// The eight captions of the colour legend, stored in Lblcolors of the settings record: each
// trimmed, joined by "%" (seven separators, none trailing). A caption never holds "%", which
// would shift every later one.
namespace LegendCaptions {
constexpr int Count = 8;

// Always eight: a stored text with fewer items leaves the rest empty, surplus items are dropped.
QStringList read(Database &db);
QString joined(const QStringList &captions);
// One short write, tried again while another station commits. Throws AppError.
void write(Database &db, const QStringList &captions);
} // namespace LegendCaptions
