#include "Child.h"

#include <QFileInfo>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

const ChildLine *ChildRun::line(const QByteArray &word) const
{
    for (const ChildLine &l : lines)
        if (l.text == word || l.text.startsWith(word + ' '))
            return &l;
    return nullptr;
}

double ChildRun::at(const QByteArray &word) const
{
    const ChildLine *l = line(word);
    return l ? l->ms : -1;
}

ChildRun runChild(const QString &program, const QStringList &args, const QStringList &env, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    ChildRun run;
    if (!QFileInfo(program).isExecutable()) {
        run.failure = QStringLiteral("%1 is not there").arg(program);
        return run;
    }

    std::vector<QByteArray> envStore;
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('=') + 1);
        bool replaced = false;
        for (const QString &mine : env)
            replaced = replaced || mine.toLocal8Bit().startsWith(name);
        if (!replaced)
            envStore.push_back(entry);
    }
    for (const QString &mine : env)
        envStore.push_back(mine.toLocal8Bit());
    std::vector<char *> envp;
    for (QByteArray &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<QByteArray> argStore{program.toLocal8Bit()};
    for (const QString &a : args)
        argStore.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        run.failure = QStringLiteral("no pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (rc != 0) {
        close(out[0]);
        close(err[0]);
        run.failure = QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(rc)));
        return run;
    }

    auto elapsedMs = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
    QByteArray pending;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        const int left = timeoutMs - int(elapsedMs());
        if (left <= 0) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (poll(fds, 2, left) < 0 && errno != EINTR)
            break;
        char buf[4096];
        if (fds[0].revents) {
            const ssize_t n = read(out[0], buf, sizeof buf);
            const double now = elapsedMs();
            if (n <= 0) {
                outOpen = false;
            } else {
                pending.append(buf, n);
                for (qsizetype nl; (nl = pending.indexOf('\n')) >= 0;) {
                    run.lines.push_back({pending.left(nl).trimmed(), now});
                    pending.remove(0, nl + 1);
                }
            }
        }
        if (fds[1].revents) {
            const ssize_t n = read(err[0], buf, sizeof buf);
            if (n <= 0)
                errOpen = false;
            else if (run.errors.size() < 64 * 1024)
                run.errors.append(buf, n);
        }
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
