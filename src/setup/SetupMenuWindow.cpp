#include "setup/SetupMenuWindow.h"

#include "booking/BookingDesk.h"
#include "booking/PicklistWindow.h"
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Resizer.h"
#include "core/StartDoc.h"
#include "core/Station.h"
#include "core/WindowLoad.h"
#include "core/WindowSwitcher.h"
#include "setup/LabelColorsWindow.h"
#include "setup/OfficeSetupWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QString caption(int entry, const char *label)
{
    // Entries 1 to 9 start with five blanks, entry 10 with three, so the points line up.
    return QStringLiteral("%1%2.   %3")
        .arg(QString(entry < 10 ? 5 : 3, QLatin1Char(' ')))
        .arg(entry)
        .arg(QLatin1String(label));
}

PicklistKind kindOf(int entry)
{
    switch (entry) {
    case SetupMenuWindow::DefaultAddress: return PicklistKind::Address;
    case SetupMenuWindow::Maintenance: return PicklistKind::Mainten;
    case SetupMenuWindow::MenuItems: return PicklistKind::MenuItems;
    case SetupMenuWindow::Internal: return PicklistKind::Internal;
    case SetupMenuWindow::VehicleModels: return PicklistKind::Vehicle;
    default: return PicklistKind::Make;
    }
}
} // namespace

SetupMenuWindow::SetupMenuWindow(AppState &state, BookingDesk &desk, QWidget *parent)
    : QWidget(parent), m_state(state), m_desk(desk)
{
    setObjectName(QStringLiteral("frmSetupMenu"));
    setWindowTitle(QStringLiteral("Setup Menu"));
    new Resizer(this);
    sharedDbPath(m_state.paths()); // serverFolder, for the information sheet

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setAccessibleName(QStringLiteral("Setup menu entries"));
    auto *entries = new QVBoxLayout(frame);
    entries->setContentsMargins(24, 14, 24, 14);
    entries->setSpacing(8);
    const char *labels[] = {nullptr,      "General Setup",  "Label Colors",   "Default Address", "Maintenance Items",
                            "Menu Items", "Internal Items", "Vehicle Models", "Vehicle Makes",   "Info Sheet",
                            "Exit"};
    const QFont entryFont(QStringLiteral("Arial"), 12, QFont::Bold);
    for (int n = General; n <= Exit; ++n) {
        auto *b = new QRadioButton(caption(n, labels[n]), frame);
        b->setObjectName(QStringLiteral("optEntry%1").arg(n));
        b->setFont(entryFont);
        entries->addWidget(b);
        m_entries[n] = b;
    }
    m_entries[General]->setChecked(true);

    auto *title = new QLabel(QStringLiteral("Setup Menu"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setFont(QFont(QStringLiteral("Arial"), 18, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 20, 40, 24);
    layout->addWidget(title);
    layout->addSpacing(12);
    layout->addWidget(frame);
    layout->addStretch(1);
    setMinimumSize(420, 470);
    m_entries[General]->setFocus();

    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

void SetupMenuWindow::showAgain(AppState &state)
{
    if (QWidget *menu = state.windows().setupMenu(state))
        state.switcher()->show(menu);
}

QRadioButton *SetupMenuWindow::entryButton(int entry) const
{
    return entry >= General && entry <= Exit ? m_entries[entry] : nullptr;
}

bool SetupMenuWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        // The digits work wherever the focus is in the window: its entries hold the focus.
        if (!(k->modifiers() & Qt::KeypadModifier) && k->key() >= Qt::Key_1 && k->key() <= Qt::Key_9) {
            choose(k->key() - Qt::Key_0);
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Space) {
            for (int n = General; n <= Exit; ++n) {
                if (watched == m_entries[n]) {
                    choose(n);
                    return true;
                }
            }
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        for (int n = General; n <= Exit; ++n) {
            if (watched == m_entries[n]) {
                choose(n);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SetupMenuWindow::choose(int entry)
{
    if (QRadioButton *b = entryButton(entry)) {
        b->setChecked(true);
        b->setFocus();
    }
    switch (entry) {
    case General: replaceBy(loadWindow<OfficeSetupWindow>(m_state)); break;
    case LabelColors: replaceBy(loadWindow<LabelColorsWindow>(m_state)); break;
    case DefaultAddress:
    case Maintenance:
    case MenuItems:
    case Internal:
    case VehicleModels:
    case VehicleMakes: openPicklist(entry); break;
    case InfoSheet:
        openDocument(*m_state.dialogs(), QDir(m_state.paths().serverFolder()).filePath(QStringLiteral("Info.doc")));
        break;
    case Exit:
        backToMainMenu();
        WindowSwitcher::closeByProgram(this);
        break;
    default: break;
    }
}

void SetupMenuWindow::openPicklist(int entry)
{
    PicklistWindow *editor = m_desk.picklists().show(m_state, kindOf(entry));
    if (!editor)
        return;
    // The menu stays loaded and comes back when the editor closes.
    connect(editor, &PicklistWindow::editClosed, this, &SetupMenuWindow::comeBack, Qt::UniqueConnection);
    hide();
}

void SetupMenuWindow::comeBack()
{
    show();
    raise();
    activateWindow();
}

void SetupMenuWindow::replaceBy(QWidget *next)
{
    if (next)
        m_state.switcher()->replace(this, next);
}

void SetupMenuWindow::backToMainMenu()
{
    if (QWidget *menu = m_state.windows().mainMenu(m_state))
        m_state.switcher()->show(menu);
}

void SetupMenuWindow::closeEvent(QCloseEvent *event)
{
    if (!WindowSwitcher::closedByProgram(this))
        backToMainMenu();
    event->accept();
}
