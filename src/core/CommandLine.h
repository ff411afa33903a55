#pragma once
#include <QCommandLineParser>
#include <QString>

// What both programs do with their command line. --help and --version are answered on a
// console-only application before any window system is opened, so they work without a display.
namespace CommandLine {

// Adds --help and --version to the parser with the program's description.
void prepare(QCommandLineParser &parser, const QString &description);

// True when the command line asks for --help or --version: main then calls answer instead of
// opening windows.
bool textOnly(int argc, char **argv);

// True when the command line names the option (as "--name" or "--name=value").
bool hasOption(int argc, char **argv, const char *option);

// Prints the answer through the parser on a console-only application named name and returns
// the exit code.
int answer(QCommandLineParser &parser, int &argc, char **argv, const QString &name);

// True when the command line holds an option the program does not know (the window system's own
// options, such as -platform, left aside): the error and the usage have then been printed on
// standard error, before any window system is opened, and main ends with 1.
bool refuseUnknown(QCommandLineParser &parser, int argc, char **argv);

// Names the running application and its version, as --version and the logs show them.
void nameApplication(const QString &name);

} // namespace CommandLine
