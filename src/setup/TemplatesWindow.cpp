#include "setup/TemplatesWindow.h"

#include "core/AppState.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "core/Resizer.h"
#include "core/Station.h"
#include "core/Twips.h"
#include "core/WindowSwitcher.h"
#include "daypage/PageStore.h"
#include "daypage/PageText.h"
#include "setup/SkillsWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
const QString HelpText = QStringLiteral(
    "Type LUNCH in upper case to block out lunch hour.  Use any print character to block out other time "
    "cells that are unavailable for bookings.  Suggested ways are using **** , ==== , or  - - - -   to "
    "fill in the relevant spaces.  You can also use Copy/Cut/Paste routine to save on keystrokes. To "
    "select multiple cells for Copy/Cut/Paste, first left mouseclick on \"start\" cell. Hold down on "
    "SHIFT key and left mouiseclick on \"end\" cell. Then right mouseclick on highlighted test and "
    "select action to perform. You can Copy/Paste from one template page to another. Please press F1 Key "
    "to turn off this Help message. Thank you.");

const QString Title = QStringLiteral("Configure Page Templates");

QFont arial(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"), points);
    f.setBold(bold);
    return f;
}
} // namespace

TemplatesWindow::TemplatesWindow(AppState &state, QWidget *parent)
    : QWidget(parent), m_state(state), m_db(sharedDbPath(state.paths()))
{
    setObjectName(QStringLiteral("frmTemplates"));
    setWindowTitle(Title);
    m_editor = std::make_unique<TemplateEditor>(m_db);
    buildControls();
    m_editor->showMonday();
    showWeekday();
    m_loading = false;
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        resize(avail.width() * 15 / 16, avail.height() * 7 / 8);
    }
}

TemplatesWindow::~TemplatesWindow()
{
    // The skill editor stores what it shows as it closes, while this window's data still exists.
    if (m_skills)
        m_skills->close();
    delete m_skills;
}

QWidget *TemplatesWindow::skillEditor() const { return m_skills; }

void TemplatesWindow::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 6, 8, 6);
    outer->setSpacing(6);

    auto *head = new QHBoxLayout;
    m_lblCalDay = new QLabel(this);
    m_lblCalDay->setObjectName(QStringLiteral("lblCalDay"));
    m_lblCalDay->setFont(arial(14, true));
    head->addWidget(m_lblCalDay);
    head->addStretch(1);
    auto *keys = new QGridLayout;
    keys->setHorizontalSpacing(10);
    keys->setVerticalSpacing(2);
    auto *pressF8 = new QLabel(QStringLiteral("Press F8"), this);
    auto *pressF7 = new QLabel(QStringLiteral("Press  F7"), this);
    for (QLabel *l : {pressF8, pressF7}) {
        l->setFont(arial(8, true));
        l->setAlignment(Qt::AlignCenter);
    }
    m_openClosedCombo = new QComboBox(this);
    m_openClosedCombo->setObjectName(QStringLiteral("Combo"));
    m_openClosedCombo->setAccessibleName(QStringLiteral("Open or closed"));
    m_openClosedCombo->setFont(arial(8, true));
    m_openClosedCombo->addItems({m_editor->openText(), m_editor->closedText()});
    m_openClosedCombo->setMinimumContentsLength(16);
    pressF8->setBuddy(m_openClosedCombo);
    m_cmdFinish = new QPushButton(this);
    m_cmdFinish->setObjectName(QStringLiteral("CmdFinish"));
    m_cmdFinish->setAccessibleName(QStringLiteral("Next weekday"));
    m_cmdFinish->setFont(arial(9, true));
    m_cmdFinish->setMinimumWidth(90);
    m_cmdFinish->setAutoDefault(true);
    keys->addWidget(pressF8, 0, 0);
    keys->addWidget(pressF7, 0, 1);
    keys->addWidget(m_openClosedCombo, 1, 0);
    keys->addWidget(m_cmdFinish, 1, 1);
    head->addLayout(keys);
    outer->addLayout(head);

    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    m_grid->setAccessibleName(QStringLiteral("Weekday template"));
    m_grid->setGridModel(&m_editor->grid());
    // Laid out like the day page, which fills its width with the technicians' columns.
    m_grid->setFillWidth(true);
    outer->addWidget(m_grid, 1);

    auto *pressF1 = new QLabel(QStringLiteral("Press F1 for Help"), this);
    pressF1->setFont(arial(8, true));
    outer->addWidget(pressF1);

    // The closed state, as the day page keeps it: ticked = closed.
    m_closedCheck = new QCheckBox(this);
    m_closedCheck->setObjectName(QStringLiteral("Check1"));
    m_closedCheck->setAccessibleName(QStringLiteral("Closed"));
    m_closedCheck->hide();

    // Help lies over the grid while shown.
    m_lblHelp = new QLabel(HelpText, this);
    m_lblHelp->setObjectName(QStringLiteral("lblHelp"));
    m_lblHelp->setFont(arial(10, true));
    m_lblHelp->setWordWrap(true);
    m_lblHelp->setFrameShape(QFrame::Box);
    m_lblHelp->setMargin(12);
    m_lblHelp->setAutoFillBackground(true);
    m_lblHelp->setFixedWidth(520);
    m_lblHelp->adjustSize();
    m_lblHelp->hide();

    m_txtEdit = new QLineEdit(this);
    m_txtEdit->setObjectName(QStringLiteral("txtEdit"));
    m_txtEdit->setAccessibleName(QStringLiteral("Cell text"));
    m_txtEdit->setFont(arial(8, true));
    m_txtEdit->setFrame(false);
    m_txtEdit->hide();
    m_txtEdit->installEventFilter(this);
    connect(m_txtEdit, &QLineEdit::textChanged, this, &TemplatesWindow::editTextChanged);

    m_mnuGrid = new QMenu(QStringLiteral("Grid"), this);
    m_mnuGrid->setObjectName(QStringLiteral("mnuGrid"));
    auto entry = [this](const char *name, const QString &caption, void (TemplatesWindow::*slot)()) {
        QAction *a = m_mnuGrid->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
    };
    entry("mnuCopy", QStringLiteral("Copy"), &TemplatesWindow::copyCells);
    entry("mnuCut", QStringLiteral("Cut"), &TemplatesWindow::cutCells);
    entry("mnuPaste", QStringLiteral("Paste"), &TemplatesWindow::pasteCells);
    entry("mnuDelete", QStringLiteral("Delete"), &TemplatesWindow::deleteCells);
    QAction *exit = m_mnuGrid->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, m_mnuGrid, &QMenu::close);

    connect(m_cmdFinish, &QPushButton::clicked, this, &TemplatesWindow::next);
    connect(m_openClosedCombo, &QComboBox::currentIndexChanged, this, &TemplatesWindow::closedChosen);
    connect(m_grid, &GridView::charTyped, this, &TemplatesWindow::gridChar);
    connect(m_grid, &GridView::scrolled, this, &TemplatesWindow::hideEditBox);
    connect(m_grid, &GridView::mousePressed, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, const QPoint &) { gridPressed(b, m); });
    connect(m_grid, &GridView::mouseReleased, this, &TemplatesWindow::gridReleased);

    // The window sees these keys before its controls and consumes them. A text box with the focus
    // keeps Delete for itself.
    auto key = [this](int k, auto slot) {
        auto *sc = new QShortcut(QKeySequence(k), this);
        connect(sc, &QShortcut::activated, this, slot);
    };
    key(Qt::Key_F1, [this] { toggleHelp(); });
    key(Qt::Key_F7, [this] { m_cmdFinish->click(); });
    key(Qt::Key_F8, [this] { m_openClosedCombo->setFocus(Qt::ShortcutFocusReason); });
    key(Qt::Key_Delete, [this] { deleteCells(); });

    new Resizer(this);
}

void TemplatesWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_activated)
        return;
    // The first showing only: coming back from the skill editor, a message or another program
    // keeps the weekday and what was typed into it.
    m_activated = true;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    cleanUpPages();
    focusGrid();
}

void TemplatesWindow::cleanUpPages()
{
    try {
        retryOnLock([&] { return PageStore(m_db).deleteUntouchedPages(); });
    } catch (const AppError &e) {
        // A page left in place is only made again later; nothing a user wrote is at stake.
        DiagnosticLog::passedOver(QStringLiteral("Template clean-up"), e);
    }
}

void TemplatesWindow::showWeekday()
{
    m_loading = true;
    m_lblCalDay->setText(m_editor->dayTitle());
    m_cmdFinish->setText(m_editor->nextCaption());
    m_closedCheck->setChecked(m_editor->closed());
    m_openClosedCombo->setCurrentIndex(m_editor->closed() ? 1 : 0);
    hideEditBox();
    m_loading = false;
}

void TemplatesWindow::showMonday()
{
    m_editor->showMonday();
    m_editor->grid().setCurrentCell(PageModel::FirstTimeRow, 1);
    m_editor->cellClicked();
    showWeekday();
    focusGrid();
}

void TemplatesWindow::closedChosen(int index)
{
    if (m_loading)
        return;
    m_editor->setClosed(index == 1);
    m_closedCheck->setChecked(index == 1);
    hideEditBox();
    focusGrid();
}

bool TemplatesWindow::storeDay()
{
    try {
        m_editor->storeDay();
        return true;
    } catch (const AppError &e) {
        m_state.dialogs()->info(e.description());
        return false;
    }
}

void TemplatesWindow::next()
{
    hideEditBox();
    bool weekDone = false;
    try {
        weekDone = m_editor->next();
    } catch (const AppError &e) {
        // The weekday stays on screen with its edits; Next can be pressed again.
        m_state.dialogs()->info(e.description());
        return;
    }
    if (!weekDone) {
        showWeekday();
        focusGrid();
        return;
    }
    if (m_state.dialogs()->ask(QStringLiteral("Do you wish to review your templates?"),
                               QStringLiteral("Templates Review?"))) {
        showMonday();
        return;
    }
    // A day page that could not be loaded has ended the program.
    if (QWidget *dayPage = m_state.windows().dayPage(m_state))
        m_state.switcher()->replace(this, dayPage);
}

void TemplatesWindow::toggleHelp()
{
    if (m_lblHelp->isVisible()) {
        m_lblHelp->hide();
        return;
    }
    const QRect g = m_grid->geometry();
    m_lblHelp->move(g.center() - m_lblHelp->rect().center());
    m_lblHelp->show();
    m_lblHelp->raise();
}

// ---- grid mouse and keys ----

void TemplatesWindow::focusGrid() { m_grid->setFocus(Qt::OtherFocusReason); }

void TemplatesWindow::gridPressed(Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    if (button != Qt::LeftButton || (mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return;
    hideEditBox();
    closeSkillEditor();
    m_editor->cellClicked();
    focusGrid();
}

void TemplatesWindow::gridReleased(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint &pos)
{
    if (button == Qt::RightButton) {
        const QRect cell = m_grid->cellRect(m_editor->grid().row(), m_editor->grid().col());
        m_mnuGrid->popup(m_grid->mapToGlobal(cell.isEmpty() ? pos : cell.bottomRight()));
        return;
    }
    if (button != Qt::LeftButton)
        return;
    if (mods & Qt::ShiftModifier) {
        m_editor->blockSelected();
        return;
    }
    int r = -1;
    int c = -1;
    if ((mods & Qt::AltModifier) && m_grid->cellAt(pos, &r, &c) && c >= 1)
        openSkillEditor(r, c);
}

void TemplatesWindow::openSkillEditor(int row, int col)
{
    closeSkillEditor();
    // A closed editor is only deleted later: what matters is whether it is still up.
    if (m_skills && m_skills->isVisible())
        return; // it could not store its ticks and stays open
    const QPoint gridAt = m_grid->mapTo(this, QPoint(0, 0));
    const QRect cell = m_grid->cellRect(row, col);
    const int left = int(pixelsToTwips(cell.left()));
    const int x = int(pixelsToTwips(gridAt.x()))
                  + (left > 6000 ? left - SkillsWindow::Width + 50 : left + int(pixelsToTwips(cell.width())) + 60);
    const int y = int(pixelsToTwips(gridAt.y())) + 650;
    try {
        m_skills = new SkillsWindow(m_state, col, m_editor->grid().text(1, col), QPoint(x, y), this);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Skill Levels"));
        return;
    }
    m_skills->show();
    m_skills->activateWindow();
}

void TemplatesWindow::closeSkillEditor()
{
    if (m_skills)
        m_skills->close();
}

void TemplatesWindow::gridChar(QChar ch)
{
    if (ch == QLatin1Char('\t'))
        return;
    if (ch == QLatin1Char('\r')) {
        openEditBox(QString());
        return;
    }
    if (ch.isPrint() || ch == QLatin1Char('\b'))
        openEditBox(QString(ch));
}

void TemplatesWindow::openEditBox(const QString &typed)
{
    GridModel &g = m_editor->grid();
    const int r = g.row();
    const int c = g.col();
    if (g.isFixedCell(r, c))
        return;
    if (!placeEditBox(m_txtEdit, m_grid, r, c))
        return;
    m_editRow = -1; // setting the box's text is not typing
    m_txtEdit->setText(g.text(r, c));
    m_editRow = r;
    m_editCol = c;
    m_txtEdit->show();
    m_txtEdit->raise();
    m_txtEdit->setFocus();
    m_txtEdit->end(false);
    if (typed.isEmpty())
        return;
    typeIntoEditBox(m_txtEdit, typed);
}

void TemplatesWindow::editTextChanged(const QString &text)
{
    if (m_editRow < 0)
        return;
    // A pasted tab or line break would split the stored template: the box shows it as a blank.
    const QString clean = PageText::cellText(text);
    if (clean != text) {
        const int cursor = m_txtEdit->cursorPosition();
        m_txtEdit->setText(clean);
        m_txtEdit->setCursorPosition(qMin(cursor, int(clean.size())));
        return;
    }
    m_editor->setCellText(m_editRow, m_editCol, text);
}

void TemplatesWindow::hideEditBox()
{
    if (!m_txtEdit->isVisible())
        return;
    const bool hadFocus = m_txtEdit->hasFocus();
    m_txtEdit->hide();
    m_editRow = -1;
    if (hadFocus)
        focusGrid();
}

bool TemplatesWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtEdit && event->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(event)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Tab || k == Qt::Key_Backtab) {
            hideEditBox();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Copy, Cut, Paste, Delete ----

void TemplatesWindow::copyCells()
{
    QClipboard *clip = QGuiApplication::clipboard();
    clip->clear();
    clip->setText(m_editor->copy());
    focusGrid();
}

void TemplatesWindow::cutCells()
{
    QClipboard *clip = QGuiApplication::clipboard();
    clip->clear();
    clip->setText(m_editor->cut());
    focusGrid();
}

void TemplatesWindow::pasteCells()
{
    hideEditBox();
    m_editor->paste(QGuiApplication::clipboard()->text());
    focusGrid();
}

void TemplatesWindow::deleteCells()
{
    hideEditBox();
    m_editor->deleteCells();
    focusGrid();
}

// ---- leaving ----

void TemplatesWindow::closeEvent(QCloseEvent *event)
{
    if (WindowSwitcher::closedByProgram(this)) {
        event->accept();
        return;
    }
    hideEditBox();
    closeSkillEditor();
    if (m_editor->changed()
        && m_state.dialogs()->message(QStringLiteral("Do you wish to save the changes made to this template?"), Title,
                                      Dialogs::YesNoDefaultNo, Dialogs::Question)
               == Dialogs::AnsYes
        && !storeDay()) {
        event->ignore(); // what could not be stored stays on screen
        return;
    }
    if (QWidget *menu = m_state.windows().mainMenu(m_state))
        m_state.switcher()->show(menu);
    event->accept();
}
