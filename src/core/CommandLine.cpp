#include "core/CommandLine.h"

#include "core/Version.h"

#include <QCoreApplication>
#include <cstdio>

void CommandLine::prepare(QCommandLineParser &parser, const QString &description)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addVersionOption();
}

bool CommandLine::textOnly(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "-h" || a == "--help" || a == "-?" || a == "--help-all" || a == "-v" || a == "--version")
            return true;
    }
    return false;
}

bool CommandLine::hasOption(int argc, char **argv, const char *option)
{
    const QByteArray name(option);
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == name || a.startsWith(name + '='))
            return true;
    }
    return false;
}

int CommandLine::answer(QCommandLineParser &parser, int &argc, char **argv, const QString &name)
{
    QCoreApplication app(argc, argv);
    nameApplication(name);
    parser.process(app); // prints the help or the version and ends the process
    return 0;
}

bool CommandLine::refuseUnknown(QCommandLineParser &parser, int argc, char **argv)
{
    // Qt's own options, which QGuiApplication takes out of the command line itself.
    static const QStringList withValue{QStringLiteral("platform"),
                                       QStringLiteral("platformpluginpath"),
                                       QStringLiteral("platformtheme"),
                                       QStringLiteral("plugin"),
                                       QStringLiteral("qwindowgeometry"),
                                       QStringLiteral("qwindowicon"),
                                       QStringLiteral("qwindowtitle"),
                                       QStringLiteral("session"),
                                       QStringLiteral("display"),
                                       QStringLiteral("geometry"),
                                       QStringLiteral("style"),
                                       QStringLiteral("stylesheet"),
                                       QStringLiteral("name"),
                                       QStringLiteral("title"),
                                       QStringLiteral("visual"),
                                       QStringLiteral("qmljsdebugger")};
    static const QStringList alone{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                   QStringLiteral("sync"),    QStringLiteral("testability")};
    QStringList args{argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString()};
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        QString bare = a;
        while (bare.startsWith(QLatin1Char('-')))
            bare.remove(0, 1);
        if (a.startsWith(QLatin1Char('-')) && !bare.contains(QLatin1Char('='))) {
            if (withValue.contains(bare)) {
                ++i;
                continue;
            }
            if (alone.contains(bare))
                continue;
        }
        args << a;
    }
    if (parser.parse(args))
        return false;
    // The usage names the program as started, which only an application knows.
    int count = argc;
    QCoreApplication app(count, argv);
    std::fprintf(stderr, "%s\n\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
    return true;
}

void CommandLine::nameApplication(const QString &name)
{
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QStringLiteral(TORVANE_VERSION));
}
