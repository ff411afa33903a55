#pragma once
#include <QString>
#include <QStringList>

// File name of the housekeeping program on this platform ("downsize", "downsize.exe").
QString DownsizeFileName();

// Starts the program at path as a separate process in its own folder and returns at once.
// Throws AppError when it is missing or cannot be started.
void StartProgram(const QString &path, const QStringList &args = {});
