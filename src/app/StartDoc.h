#pragma once
#include <QString>

class Dialogs;

// Opens a document with the program the desktop associates with it. Returns a shell result
// code: above 32 is success; 32 or less names the failure (2 file not found, 3 path not found,
// 5 access denied, 31 no association).
int StartDoc(const QString &path);

// The text shown for a failure code of 32 or less.
QString ShellErrorText(int code);

// StartDoc, and a failure reported with the program's title. True when the document opened.
bool OpenDocument(Dialogs &dialogs, const QString &path);
