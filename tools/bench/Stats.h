#pragma once
#include <QJsonObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The two figures reported for a set of samples. The median is the middle sample (the mean of
// the two middle ones for an even count); p95 is the nearest-rank 95th percentile, the smallest
// sample that at least 95% of the samples do not exceed.
struct Summary {
    double median = 0;
    double p95 = 0;
    int count = 0;
};
Summary summarize(QVector<double> samples);

// One measure as reported: its samples' summary, its target, and the engine's floor for the
// same work where there is one.
struct Figure {
    QString name;  // for machines: "open_stored_page"
    QString title; // for people: "Open a stored page"
    QString unit;  // "ms" or "MB"
    Summary value;
    std::optional<Summary> cpu;     // processor time of the same regions, where measured in-process
    std::optional<double> writes;   // committed write transactions per timed region (median)
    std::optional<int> failures;    // timed regions whose work failed (left out of the figures)
    std::optional<double> target;   // the median should not exceed it
    std::optional<double> maxRatio; // nor the ratio to the floor's median
    QString floorName;
    QString floorTitle;
    std::optional<Summary> floor;
    QString note;  // what exactly was timed
    QString error; // why the measure has no figure

    bool ok() const { return error.isEmpty() && value.count > 0; }
    std::optional<double> ratio() const;
    // Unknown without a target or without a figure.
    std::optional<bool> met() const;
};

struct Report {
    QString buildType;
    QVector<QPair<QString, QString>> machine;
    QVector<QPair<QString, QString>> database;
    QVector<Figure> figures;

    // The readable table with its heading lines.
    QString table() const;
    QJsonObject json() const;
};

// 0.0123 -> "0.0123", 1.234 -> "1.23", 12.34 -> "12.3", 1234.5 -> "1235": three significant
// digits, never fewer than the whole number.
QString figureText(double v);

// The same measures on a file and on a server, one line each: both medians and 95th percentiles,
// the file's floor and ratio, and the server's median and p95 over the file's, with the aims
// for the server read from them.
QString sideBySide(const Report &file, const Report &server);
