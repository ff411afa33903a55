#include "setup/SkillViewWindow.h"

#include "booking/TechSkills.h"
#include "core/AppState.h"
#include "core/DiagnosticLog.h"
#include "core/Station.h"
#include "core/Twips.h"
#include "daypage/DayPageWindow.h"
#include "store/Database.h"

#include <QLabel>
#include <QVBoxLayout>

SkillViewWindow::SkillViewWindow(AppState &state, int column, QPoint at, QWidget *opener) : QWidget(opener, Qt::Window)
{
    setObjectName(QStringLiteral("frmSkillView"));
    const QString name = state.layout().techNames.value(column).trimmed();
    setWindowTitle(name.isEmpty() ? QStringLiteral("Tech Skill Levels")
                                  : QStringLiteral("Tech Skill Levels - ") + name);
    setAttribute(Qt::WA_DeleteOnClose);
    QStringList held;
    try {
        Database db(sharedDbPath(state.paths()));
        held = TechSkills::heldNames(TechSkills::read(db).levels(column), Lines);
    } catch (const AppError &e) {
        // The viewer only shows; it shows nothing when the skills cannot be read.
        DiagnosticLog::passedOver(QStringLiteral("Tech Skill Levels"), e);
    }
    auto *lines = new QVBoxLayout(this);
    lines->setContentsMargins(12, 10, 12, 10);
    lines->setSpacing(4);
    QFont font(QStringLiteral("Arial"), 9);
    font.setBold(true);
    for (int i = 1; i <= Lines; ++i) {
        auto *l = new QLabel(i <= held.size() ? held.at(i - 1) : QString(), this);
        l->setObjectName(QStringLiteral("lblSkills_%1").arg(i));
        l->setFont(font);
        l->setTextFormat(Qt::PlainText);
        lines->addWidget(l);
    }
    // The room the day page leaves for it, so it ends just short of a column to its right.
    setFixedWidth(twipsToPixels(DayPageWindow::SkillViewerWidth) - 4);
    adjustSize();
    QPoint place(twipsToPixels(at.x()), twipsToPixels(at.y()));
    if (opener)
        place = opener->mapToGlobal(place);
    move(place);
}
