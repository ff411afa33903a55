#pragma once
#include <QString>
#include <functional>

class QWidget;

// Long work (a backup, a restore, a downsize) on a thread of its own while the windows go on
// drawing and the station keeps beating, under a modal bar of the steps done of all. Returns once
// the work is done, throwing what it threw. The work opens its own connections: a connection
// belongs to the thread that made it.
namespace WorkWithProgress {
using Progress = std::function<void(int done, int total)>;
// title: the bar's window title; what: its text before "N of M" and unit ("tables").
void run(QWidget *parent, const QString &title, const QString &what, const QString &unit,
         const std::function<void(const Progress &)> &work);
} // namespace WorkWithProgress
