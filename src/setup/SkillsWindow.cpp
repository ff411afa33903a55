#include "setup/SkillsWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Station.h"
#include "core/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QVBoxLayout>

SkillsWindow::SkillsWindow(AppState &state, int column, const QString &techName, const QPoint &atTwips, QWidget *opener)
    : QWidget(opener, Qt::Window), m_state(state), m_db(sharedDbPath(state.paths())), m_column(column)
{
    setObjectName(QStringLiteral("frmSkills"));
    // Whose skills these are: the window lies beside the column, but not always beside its name.
    const QString name = techName.trimmed();
    setWindowTitle(name.isEmpty() ? QStringLiteral("Skill Levels") : QStringLiteral("Skill Levels - ") + name);
    setAttribute(Qt::WA_DeleteOnClose);
    const TechSkills::Levels levels = TechSkills::read(m_db).levels(column);

    auto *boxes = new QVBoxLayout(this);
    boxes->setContentsMargins(12, 10, 12, 10);
    boxes->setSpacing(4);
    QFont font(QStringLiteral("Arial"), 8);
    font.setBold(true);
    m_chkSkills.append(nullptr);
    for (int i = 1; i <= TechSkills::Count; ++i) {
        // A single "&" would mark a keyboard shortcut: the caption doubles it to show it.
        auto *box = new QCheckBox(TechSkills::editorCaption(i).replace(QLatin1Char('&'), QLatin1String("&&")), this);
        box->setObjectName(QStringLiteral("chkSkills_%1").arg(i));
        box->setFont(font);
        box->setChecked(levels[i - 1]);
        boxes->addWidget(box);
        m_chkSkills.append(box);
    }
    setFixedWidth(twipsToPixels(Width));
    adjustSize();
    QPoint at(twipsToPixels(atTwips.x()), twipsToPixels(atTwips.y()));
    if (opener)
        at = opener->mapToGlobal(at);
    move(at);
}

void SkillsWindow::closeEvent(QCloseEvent *event)
{
    TechSkills::Levels levels{};
    for (int i = 1; i <= TechSkills::Count; ++i)
        levels[i - 1] = m_chkSkills.at(i)->isChecked();
    try {
        TechSkills::store(m_db, m_column, levels);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Skill Levels"));
        event->ignore();
        return;
    }
    event->accept();
}
