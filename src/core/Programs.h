#pragma once
#include <QString>
#include <QStringList>

// File name of the housekeeping program on this platform ("downsize", "downsize.exe").
QString downsizeFileName();

// Starts the program at path as a separate process in its own folder and returns at once.
// Throws AppError when it is missing or cannot be started.
void startProgram(const QString &path, const QStringList &args = {});
