#include "store/PassedOver.h"

#include "store/AppError.h"

#include <QMutex>

namespace {
QMutex sinkLock;
PassedOver::Sink &sink()
{
    static PassedOver::Sink s;
    return s;
}
} // namespace

void PassedOver::setSink(Sink s)
{
    QMutexLocker lock(&sinkLock);
    sink() = std::move(s);
}

void PassedOver::report(const QString &where, const AppError &e)
{
    Sink s;
    {
        QMutexLocker lock(&sinkLock);
        s = sink();
    }
    if (s)
        s(where, e);
}
