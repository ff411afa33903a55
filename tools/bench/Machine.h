#pragma once
#include <QPair>
#include <QString>
#include <QVector>

// What the figures came from: processor, memory, system, libraries, compiler, and the file
// system the database lies on.
QVector<QPair<QString, QString>> machineDescription(const QString &workDir);
