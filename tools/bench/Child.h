#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A program run as a separate process with its standard output read line by line, each line
// stamped with the time since the process was started.
struct ChildLine {
    QByteArray text;
    double ms = 0;
};

struct ChildRun {
    QVector<ChildLine> lines;
    int exitCode = -1; // -1: killed or ended by a signal
    bool timedOut = false;
    QByteArray errors; // what it wrote to standard error
    QString failure;   // why it could not be started

    // The time of the first line starting with word; negative when there was none.
    double at(const QByteArray &word) const;
    const ChildLine *line(const QByteArray &word) const;
};

// env: NAME=value entries added to (or replacing those of) this process's environment. A run
// still going after timeoutMs is killed.
ChildRun runChild(const QString &program, const QStringList &args, const QStringList &env, int timeoutMs);
