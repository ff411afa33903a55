#pragma once
#include <QString>
#include <QStringList>

// What the network installation does to files, apart from its window.
namespace Installation {

// The answers offered in the input boxes: a folder on this machine for the file-server station,
// the mount (mapped drive) of that folder for a client station.
QString defaultServerFolder();
QString defaultClientDrive();

// One trailing "\" or "/" is dropped; a path that would become empty is kept as typed.
QString stripTrailingSeparator(const QString &path);

enum class FolderState { Ready, FileInTheWay };
// Makes the server folder when nothing of that name exists; an existing folder is used as it is.
// Throws AppError when the folder cannot be made.
FolderState prepareFolder(const QString &path);

// Files the file-server station receives from the program folder, in copying order.
QStringList serverFiles();

// Copies each server file from the program folder into the server folder, replacing a file of
// that name only once the copy is complete. Throws AppError on the first failure.
void copyServerFiles(const QString &programFolder, const QString &serverFolder);

// Copies one file through a temporary file beside the destination, then renames it over it.
void replaceFile(const QString &source, const QString &destination);

} // namespace Installation
