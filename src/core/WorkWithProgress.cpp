#include "core/WorkWithProgress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <exception>
#include <memory>

void WorkWithProgress::run(QWidget *parent, const QString &title, const QString &what, const QString &unit,
                           const std::function<void(const Progress &)> &work)
{
    QProgressDialog bar(what, QString(), 0, 0, parent);
    bar.setObjectName(QStringLiteral("prgTables"));
    bar.setWindowTitle(title);
    bar.setWindowModality(Qt::ApplicationModal);
    bar.setCancelButton(nullptr); // work half done is rolled back or thrown away anyway
    bar.setMinimumDuration(0);
    std::exception_ptr failed;
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work([&bar, what, unit](int done, int total) {
                // Drawn on the windows' thread; dropped if the bar is gone by then.
                QMetaObject::invokeMethod(
                    &bar,
                    [&bar, what, unit, done, total] {
                        bar.setMaximum(total);
                        bar.setValue(done);
                        bar.setLabelText(QStringLiteral("%1 %2 of %3 %4").arg(what).arg(done).arg(total).arg(unit));
                    },
                    Qt::QueuedConnection);
            });
        } catch (...) {
            failed = std::current_exception();
        }
    }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    bar.show();
    loop.exec();
    thread->wait();
    if (failed)
        std::rethrow_exception(failed);
}
