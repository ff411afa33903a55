// torvane-bench: generates a ten-year workshop database and measures the program's day page,
// name search, start-up and memory on it, each beside the engine's floor for the same work.
#include "Bench.h"

#include "store/AppError.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

int main(int argc, char **argv)
{
    // The page model lays out fonts, which needs a platform; the measures never paint.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("torvane-bench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Generates a ten-year workshop database and measures the day page, the name search, start-up and memory "
        "on it. Prints a table; --json writes every figure for machines."));
    parser.addHelpOption();
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Write every figure to <file> as JSON."),
                                  QStringLiteral("file"));
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Work folder for the database and the station (default: bench-data "
                                                "beside this program). Emptied first."),
                                 QStringLiteral("folder"));
    const QCommandLineOption years(QStringLiteral("years"), QStringLiteral("Years of pages (default 10)."),
                                   QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption reps(QStringLiteral("reps"),
                                  QStringLiteral("Scale every repetition count by <factor> (default 1)."),
                                  QStringLiteral("factor"), QStringLiteral("1"));
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Run only these measures (comma-separated): %1.")
                                      .arg(Bench::measureNames().join(QStringLiteral(", "))),
                                  QStringLiteral("names"));
    const QCommandLineOption reuse(QStringLiteral("reuse"),
                                   QStringLiteral("Keep the database of an earlier run in the work folder (for "
                                                  "profiling); the figures then come from a grown database."));
    const QCommandLineOption db(QStringLiteral("db"),
                                QStringLiteral("Put the workshop on a database server instead: <folder> holds a "
                                               "db.pgconn naming an empty database."),
                                QStringLiteral("folder"));
    const QCommandLineOption stations(
        QStringLiteral("stations"),
        QStringLiteral("Stations booking at once in the contended booking, one count or several separated by "
                       "commas, each from 1 to 12 (default 1,4,8)."),
        QStringLiteral("n"), QStringLiteral("1,4,8"));
    const QCommandLineOption diskStress(QStringLiteral("disk-stress"),
                                        QStringLiteral("Keep a writer flushing large files in the work folder while "
                                                       "the measures run, so every commit waits behind the disk."));
    const QCommandLineOption stressMb(QStringLiteral("stress-mb"),
                                      QStringLiteral("Size of each of those files in MB (default 64)."),
                                      QStringLiteral("mb"), QStringLiteral("64"));
    const QCommandLineOption besideServer(
        QStringLiteral("beside-server"),
        QStringLiteral("Run every measure on a file, then on a database server (<folder> holds a db.pgconn naming "
                       "an empty database), and report them side by side with the server's ratio to the file."),
        QStringLiteral("folder"));
    parser.addOptions({json, dir, years, reps, only, reuse, db, stations, diskStress, stressMb, besideServer});
    parser.process(app);

    BenchOptions options;
    options.programDir = QCoreApplication::applicationDirPath();
    options.dir =
        parser.isSet(dir) ? parser.value(dir) : QDir(options.programDir).filePath(QStringLiteral("bench-data"));
    options.dir = QDir(options.dir).absolutePath();
    bool ok = false;
    options.years = parser.value(years).toInt(&ok);
    if (!ok || options.years < 1 || options.years > 40) {
        std::fprintf(stderr, "--years takes a whole number from 1 to 40\n");
        return 2;
    }
    options.reps = parser.value(reps).toDouble(&ok);
    if (!ok || options.reps <= 0 || options.reps > 100) {
        std::fprintf(stderr, "--reps takes a factor above 0 and up to 100\n");
        return 2;
    }
    if (parser.isSet(only)) {
        options.only = parser.value(only).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString &name : options.only) {
            name = name.trimmed();
            if (!Bench::measureNames().contains(name)) {
                std::fprintf(stderr, "No measure named %s\n", qPrintable(name));
                return 2;
            }
        }
    }
    options.stations.clear();
    for (const QString &n : parser.value(stations).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int count = n.trimmed().toInt(&ok);
        if (!ok || count < 1 || count > 12) {
            std::fprintf(stderr, "--stations takes counts from 1 to 12, separated by commas\n");
            return 2;
        }
        options.stations << count;
    }
    if (options.stations.isEmpty()) {
        std::fprintf(stderr, "--stations takes counts from 1 to 12, separated by commas\n");
        return 2;
    }
    options.diskStress = parser.isSet(diskStress);
    options.stressMb = parser.value(stressMb).toInt(&ok);
    if (!ok || options.stressMb < 1 || options.stressMb > 4096) {
        std::fprintf(stderr, "--stress-mb takes a whole number from 1 to 4096\n");
        return 2;
    }
    options.reuse = parser.isSet(reuse);
    const bool both = parser.isSet(besideServer);
    if (both && parser.isSet(db)) {
        std::fprintf(stderr, "--db and --beside-server name the server each; give one of them\n");
        return 2;
    }
    if (parser.isSet(db) || both) {
        options.db = parser.value(both ? besideServer : db);
        if (!QFileInfo(QDir(options.db).filePath(QStringLiteral("db.pgconn"))).isFile()) {
            std::fprintf(stderr, "--db and --beside-server take a server folder holding a db.pgconn\n");
            return 2;
        }
    }

    // Side by side: the file first, in the work folder, then the server, its station in a folder beside.
    QVector<Report> reports;
    try {
        if (both) {
            BenchOptions onFile = options;
            onFile.db.clear();
            reports << Bench(onFile).run();
            std::fputs(reports.last().table().toUtf8().constData(), stdout);
            std::fputs("\n", stdout);
            std::fflush(stdout);
            options.dir += QStringLiteral("-server");
        }
        reports << Bench(options).run();
    } catch (const AppError &e) {
        std::fprintf(stderr, "torvane-bench: %s\n", qPrintable(e.description()));
        return 1;
    }
    const Report &report = reports.last();

    std::fputs(report.table().toUtf8().constData(), stdout);
    if (both)
        std::fputs(("\n" + sideBySide(reports.first(), report)).toUtf8().constData(), stdout);
    std::fflush(stdout);
    if (parser.isSet(json)) {
        QFile out(parser.value(json));
        QJsonObject all = report.json();
        if (both)
            all = QJsonObject{{QStringLiteral("file"), reports.first().json()}, {QStringLiteral("server"), all}};
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || out.write(QJsonDocument(all).toJson()) < 0 || !out.flush()) {
            std::fprintf(stderr, "torvane-bench: cannot write %s: %s\n", qPrintable(out.fileName()),
                         qPrintable(out.errorString()));
            return 1;
        }
    }
    for (const Report &r : reports)
        for (const Figure &f : r.figures)
            if (!f.ok())
                return 1;
    return 0;
}
