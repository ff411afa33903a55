#include "print/CommandLineExport.h"

#include "core/AppState.h"
#include "core/CommandLine.h"
#include "core/Station.h"
#include "print/BookingExporter.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cstdio>

namespace {
const char *const Options[] = {"--export", "--from", "--to", "--tech", "--out"};

int badArguments(const QCommandLineParser &parser, const QString &why)
{
    std::fprintf(stderr, "torvane: %s\n\n%s", qPrintable(why), qPrintable(parser.helpText()));
    return 2;
}

int failed(const QString &why)
{
    std::fprintf(stderr, "torvane: %s\n", qPrintable(why));
    return 1;
}

QDate isoDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return form.match(text.trimmed()).hasMatch() ? QDate::fromString(text.trimmed(), Qt::ISODate) : QDate();
}
} // namespace

void CommandLineExport::addOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("export"), QStringLiteral("Export bookings without windows: csv or ics."),
         QStringLiteral("format")},
        {QStringLiteral("from"), QStringLiteral("The first date to export (YYYY-MM-DD)."), QStringLiteral("date")},
        {QStringLiteral("to"), QStringLiteral("The last date to export (YYYY-MM-DD)."), QStringLiteral("date")},
        {QStringLiteral("tech"), QStringLiteral("Export only this technician's bookings (column number)."),
         QStringLiteral("n")},
        {QStringLiteral("out"), QStringLiteral("The file to export to."), QStringLiteral("file")},
    });
}

bool CommandLineExport::asked(int argc, char **argv)
{
    for (const char *option : Options)
        if (CommandLine::hasOption(argc, argv, option))
            return true;
    return false;
}

int CommandLineExport::run(QCommandLineParser &parser, int &argc, char **argv, const QString &name)
{
    QCoreApplication app(argc, argv);
    CommandLine::nameApplication(name);
    parser.process(app); // an unknown option is told and ends the process
    if (parser.isSet(QStringLiteral("print")) || parser.isSet(QStringLiteral("date"))
        || parser.isSet(QStringLiteral("pdf")))
        return badArguments(parser, QStringLiteral("--export and --print are separate runs."));
    const QStringList missing = [&] {
        QStringList out;
        for (const char *option : {"export", "from", "to", "out"})
            if (!parser.isSet(QLatin1String(option)))
                out << QStringLiteral("--") + QLatin1String(option);
        return out;
    }();
    if (!missing.isEmpty())
        return badArguments(parser, QStringLiteral("An export needs %1.").arg(missing.join(QStringLiteral(", "))));

    ExportOrder order;
    const QString format = parser.value(QStringLiteral("export")).trimmed().toLower();
    if (format == QLatin1String("csv"))
        order.format = ExportOrder::Csv;
    else if (format == QLatin1String("ics"))
        order.format = ExportOrder::Calendar;
    else
        return badArguments(
            parser,
            QStringLiteral("Unknown format \"%1\": export csv or ics.").arg(parser.value(QStringLiteral("export"))));
    for (const char *option : {"from", "to"}) {
        const QString text = parser.value(QLatin1String(option));
        const QDate d = isoDate(text);
        if (!d.isValid())
            return badArguments(parser, QStringLiteral("Bad date \"%1\": give it as YYYY-MM-DD.").arg(text));
        (QLatin1String(option) == QLatin1String("from") ? order.from : order.to) = d;
    }
    if (parser.isSet(QStringLiteral("tech"))) {
        bool ok = false;
        order.tech = parser.value(QStringLiteral("tech")).trimmed().toInt(&ok);
        if (!ok || order.tech < 1)
            return badArguments(parser, QStringLiteral("Bad technician \"%1\": give the column number, 1 or more.")
                                            .arg(parser.value(QStringLiteral("tech"))));
    }
    order.file = QFileInfo(parser.value(QStringLiteral("out"))).absoluteFilePath();

    StationPaths paths = StationPaths::forProgram(QCoreApplication::applicationDirPath(),
                                                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    const QString folder = parser.value(QStringLiteral("folder"));
    if (!folder.isEmpty()) {
        if (!QFileInfo(folder).isDir())
            return badArguments(parser,
                                QStringLiteral("No station folder \"%1\".").arg(QDir::toNativeSeparators(folder)));
        paths.setProgramFolder(QDir(folder).absolutePath());
    }
    if (!QFileInfo(paths.stationDbPath()).isFile())
        return badArguments(parser, QStringLiteral("No station database %1: name the station's folder with --folder.")
                                        .arg(QDir::toNativeSeparators(paths.stationDbPath())));
    try {
        const StationRecord station = Station::read(paths.stationDbPath());
        if (station.server.trimmed().isEmpty())
            return badArguments(parser, QStringLiteral("The station in %1 is not installed: it names no server folder.")
                                            .arg(QDir::toNativeSeparators(paths.programFolder())));
        Database db(sharedDbPath(paths));
        BookingExporter exporter(db);
        const QString why = exporter.problem(order);
        if (!why.isEmpty())
            return badArguments(parser, why);
        const BookingExporter::Result done = exporter.run(order);
        std::printf("%s\n", qPrintable(BookingExporter::doneText(done)));
        return 0;
    } catch (const AppError &e) {
        return failed(e.description());
    }
}
