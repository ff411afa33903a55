#pragma once
#include <QChar>
#include <QString>
#include <QStringList>

// "%" lists inside one field. A list built element by element ends with "%"; a joined list does not.

// Items from index 1; index 0 always exists and is empty. An empty text gives index 0 only; a
// trailing "%" gives a last, empty item.
QStringList splitList(const QString &text);

// Items given from index 0. With trailingSeparator every item is followed by "%".
QString joinList(const QStringList &items, bool trailingSeparator);

// Item index (from 0) of a plain split, without splitting the rest; null where there is none.
QStringView plainItem(QStringView text, QChar sep, int index);

// Plain split, items from index 0 (column widths). An empty text gives no items.
QStringList splitPlain(const QString &text, QChar sep);
