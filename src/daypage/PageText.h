#pragma once
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The two stored formats of a page: the page text (cells split by tab, rows by carriage
// return, no trailing separator) and the colour list (decimal numbers each followed by a blank).
namespace PageText {

using Cells = QVector<QStringList>; // [row][col], possibly ragged as parsed

Cells parse(const QString &text);
// A tab, carriage return or line feed inside a cell would split it in the stored text: each is
// written as a blank.
QString join(const Cells &cells);
// The same, and parsing the text joined gives cells back without reading it again (a save's
// next read of its own write).
QString joinRemembered(const Cells &cells);
// Exactly rows x cols: missing cells empty, text beyond dropped.
Cells shaped(const Cells &cells, int rows, int cols);

// Stored cells with this station's own changes applied: every cell where mine differs from base
// takes mine, every other cell keeps what is stored now. All three come shaped alike.
// A counter row (hours used) holds sums that several stations add to: a number this station
// changed in it, where another station changed the stored number meanwhile, adds this
// station's difference to the stored number instead of replacing it.
Cells merged(const Cells &stored, const Cells &base, const Cells &mine, int counterRow = -1);
// The same as a write, compare-and-set per cell: a cell this station changed takes mine only
// where the stored cell still holds base (or already holds mine); the counter row adds up as
// above. Any other changed cell refuses the whole change: nullopt, nothing is to be written.
std::optional<Cells> applied(const Cells &stored, const Cells &base, const Cells &mine, int counterRow = -1);

// A cell's own text: every tab, carriage return and line feed becomes a blank.
QString cellText(const QString &text);
// Text pasted into a cell: separators at either end dropped, each run of them inside one blank,
// and the braces that typing refuses taken out.
QString pastedCellText(const QString &text);
bool isRefusedInCell(QChar ch); // "{" and "}"

} // namespace PageText

namespace ColorList {

// "0", empty or no value: no colour list stored yet.
bool isUnset(const QString &text);
// One entry per item; an empty or non-numeric item has no number.
QVector<std::optional<qint64>> parse(const QString &text);
// Every number followed by one blank.
QString format(const QVector<qint64> &colors);
// The same, and parsing the list formatted gives colors back without reading it again (a list
// that reads as unset still reads as unset).
QString formatRemembered(const QVector<qint64> &colors);

// Colours with this station's changes applied to the stored list, compare-and-set per cell: a
// cell this station changed takes mine only where the stored colour is still base (or already
// mine); otherwise nullopt and nothing is to be written. A cell the stored list has no number
// for takes mine.
std::optional<QVector<qint64>> applied(const QString &stored, const QVector<qint64> &base, const QVector<qint64> &mine);
// The same on the stored list already parsed.
std::optional<QVector<qint64>> applied(const QVector<std::optional<qint64>> &now, const QVector<qint64> &base,
                                       const QVector<qint64> &mine);

} // namespace ColorList
