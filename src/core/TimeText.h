#pragma once
#include <QString>
#include <QTime>

// Times of day as stored in the records. AM/PM are always the English words, whatever the
// system's language, so every station reads what another wrote.

// Accepts "08:00 AM", "8:00 AM", "08:30 AM " (row label), "17:00", "08:00" (and seconds).
// Anything else gives an invalid QTime.
QTime parseTimeText(const QString &text);

// Settings form: "08:00 AM", "12:00 PM", "12:30 AM".
QString settingsTimeText(const QTime &t);

// Row label: the settings form followed by one blank, "08:30 AM ".
QString rowLabel(const QTime &t);

// Drop-off and promised times: "08:00" (24-hour).
QString shortTimeText(const QTime &t);
