#pragma once
#include <QString>
#include <functional>

class AppError;

// Errors the store catches and deliberately does not pass on. The diagnostic log sits above the
// store, so it hands the store a sink; without one a report goes nowhere.
namespace PassedOver {
using Sink = std::function<void(const QString &where, const AppError &e)>;
void setSink(Sink sink);
void report(const QString &where, const AppError &e);
} // namespace PassedOver
