#include "core/CommandLine.h"

#include "core/Version.h"

#include <QCoreApplication>

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

void CommandLine::nameApplication(const QString &name)
{
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QStringLiteral(TORVANE_VERSION));
}
