#pragma once
#include <QString>

class Dialogs;

// Shell result codes: above 32 is success; 32 or less names the failure.
namespace Shell {
constexpr int Started = 42;
constexpr int NotStarted = 0; // the opener itself could not be started
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int NoAssociation = 31;
} // namespace Shell

// Opens a document with the program the desktop associates with it ("Open", no parameters,
// workDir as the working directory), without waiting for it. Returns a shell result code.
int startDoc(const QString &path, const QString &workDir = QString());

// The text shown for a failure code of 32 or less; "Unknown error" for a code the table lacks.
QString shellErrorText(int code);

// startDoc, and a failure reported with the program's title. True when the document opened.
bool openDocument(Dialogs &dialogs, const QString &path, const QString &workDir = QString());
