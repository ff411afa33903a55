#include "PgServer.h"
#include "TestRegistry.h"
#include "core/DiagnosticLog.h"
#include "store/Database.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>
#include <exception>
#include <memory>

std::vector<testreg::Entry> &testreg::registry()
{
    static std::vector<Entry> entries;
    return entries;
}

std::vector<std::pair<const char *, testreg::Child>> &testreg::children()
{
    static std::vector<std::pair<const char *, Child>> entries;
    return entries;
}

namespace {
// Qt Test logs "Caught unhandled exception" and throws it on. Left to std::terminate, the crash
// handler's SIGABRT keeps the folder waiting for ctest's timeout and the test server running, and
// the classes after it would start from a state nobody cleaned up: the run ends here instead.
int escaped(const char *test, const char *what)
{
    std::fprintf(stderr, "FAIL!  : %s: an exception escaped a test function: %s\n", test, what);
    PgServer::shutdown();
    return 1;
}
} // namespace

// Usage: test_x [ClassName] [QTest options...]
//        test_x --child NAME [ARGS...]
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The diagnostic log and anything else written to the user's folders goes to a test folder.
    QStandardPaths::setTestModeEnabled(true);
    DiagnosticLog::start(QStringLiteral("test"), false);
    // A station that meets a held lock reports it soon enough for the tests that expect that.
    Database::setLockPatience(2000);
    QStringList args = app.arguments();
    if (args.size() > 2 && args.at(1) == QLatin1String("--child")) {
        for (const auto &[name, child] : testreg::children()) {
            if (args.at(2) != QLatin1String(name))
                continue;
            try {
                return child(args.mid(3));
            } catch (const std::exception &e) {
                return escaped(name, e.what());
            } catch (...) {
                return escaped(name, "not a std::exception");
            }
        }
        return 2;
    }
    QString only;
    if (args.size() > 1 && !args.at(1).startsWith(QLatin1Char('-'))) {
        bool isClass = false;
        for (const auto &e : testreg::registry())
            isClass |= (args.at(1) == QLatin1String(e.name));
        if (isClass)
            only = args.takeAt(1);
    }
    int failures = 0;
    const char *running = "";
    try {
        for (const auto &e : testreg::registry()) {
            if (!only.isEmpty() && only != QLatin1String(e.name))
                continue;
            running = e.name;
            std::unique_ptr<QObject> obj(e.make());
            if (!obj)
                continue; // its factory said why
            failures += QTest::qExec(obj.get(), args);
        }
    } catch (const std::exception &e) {
        return escaped(running, e.what());
    } catch (...) {
        return escaped(running, "not a std::exception");
    }
    PgServer::shutdown();
    return failures == 0 ? 0 : 1;
}
