#include "setup/OfficeSetupWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "core/Resizer.h"
#include "core/Station.h"
#include "core/WindowSwitcher.h"
#include "daypage/PageStore.h"
#include "setup/SetupMenuWindow.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString SaveTitle = QStringLiteral("Save new settings");
using F = OfficeSetup;

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// A box left for another window, or for a menu, keeps its value until the user comes back.
bool isUserMove(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}
} // namespace

OfficeSetupWindow::OfficeSetupWindow(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("  General Setup"));
    m_db = std::make_unique<Database>(sharedDbPath(m_state.paths()));
    m_setup = std::make_unique<OfficeSetup>(*m_db);
    buildControls();
    showValues();
    new Resizer(this);
    box(F::Location)->setFocus();
}

OfficeSetupWindow::~OfficeSetupWindow() = default;

void OfficeSetupWindow::buildControls()
{
    const QFont labelFont(QStringLiteral("Arial"), 10, QFont::Bold);
    auto *form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(8);
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    auto *letters = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]*")), this);
    const struct {
        F::Field field;
        const char *name;
        const char *accessible;
        int width;
    } boxes[] = {
        {F::Location, "txtLocation", "Service location", 260},
        {F::OpenHour, "txtOpenHour", "First booking hour", 36},
        {F::OpenMinute, "txtOpenMin", "First booking minutes", 36},
        {F::OpenAmPm, "txtOpenAmPm", "First booking AM or PM", 40},
        {F::CloseHour, "txtCloseHour", "Last booking hour", 36},
        {F::CloseMinute, "txtCloseMin", "Last booking minutes", 36},
        {F::CloseAmPm, "txtCloseAmPm", "Last booking AM or PM", 40},
        {F::Slot, "txtSlot", "Minutes per time slot", 50},
        {F::Lines, "txtRHT", "Text lines per time slot", 36},
        {F::Count, "txtListno", "Number of technicians", 36},
    };
    for (const auto &b : boxes) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(b.name));
        e->setAccessibleName(QLatin1String(b.accessible));
        e->setFixedWidth(b.width);
        if (b.field != F::Location)
            e->setValidator(b.field == F::OpenAmPm || b.field == F::CloseAmPm ? letters : digits);
        if (b.field == F::OpenAmPm || b.field == F::CloseAmPm) {
            e->setMaxLength(2);
            connect(e, &QLineEdit::textEdited, e, [e](const QString &t) {
                if (t != t.toUpper())
                    e->setText(t.toUpper());
            });
        } else if (b.field != F::Location) {
            e->setMaxLength(b.field == F::Slot ? 3 : 2);
        }
        // The box's own text: a change made inside another change's signal arrives first.
        connect(e, &QLineEdit::textChanged, this, [this, e, f = b.field] { m_setup->setText(f, e->text()); });
        e->installEventFilter(this);
        m_boxes[b.field] = e;
    }

    auto label = [&](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setFont(labelFont);
        if (buddy)
            l->setBuddy(buddy);
        return l;
    };
    auto colon = [&] { return new QLabel(QStringLiteral(":"), this); };
    auto timeRow = [&](F::Field h, F::Field m, F::Field ap, QLabel *shown) {
        auto *row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(box(h));
        row->addWidget(colon());
        row->addWidget(box(m));
        row->addSpacing(6);
        row->addWidget(box(ap));
        row->addSpacing(16);
        row->addWidget(shown);
        row->addStretch(1);
        return row;
    };
    m_lblOpen = new QLabel(this);
    m_lblOpen->setObjectName(QStringLiteral("lblOpen"));
    m_lblClose = new QLabel(this);
    m_lblClose->setObjectName(QStringLiteral("lblClose"));

    form->addWidget(label(QStringLiteral("1.  Name of service location:"), box(F::Location)), 0, 0);
    form->addWidget(box(F::Location), 0, 1);
    form->addWidget(label(QStringLiteral("2.  First booking time:"), box(F::OpenHour)), 1, 0);
    form->addLayout(timeRow(F::OpenHour, F::OpenMinute, F::OpenAmPm, m_lblOpen), 1, 1);
    form->addWidget(label(QStringLiteral("3.  Last booking time:"), box(F::CloseHour)), 2, 0);
    form->addLayout(timeRow(F::CloseHour, F::CloseMinute, F::CloseAmPm, m_lblClose), 2, 1);
    form->addWidget(label(QStringLiteral("4.  Minutes per time slot (10 to 240):"), box(F::Slot)), 3, 0);
    form->addWidget(box(F::Slot), 3, 1);
    form->addWidget(label(QStringLiteral("     Text lines per time slot (1 to 6):"), box(F::Lines)), 4, 0);
    form->addWidget(box(F::Lines), 4, 1);
    form->addWidget(label(QStringLiteral("5.  Number of technicians (1 to 32):"), box(F::Count)), 5, 0);
    form->addWidget(box(F::Count), 5, 1);
    form->setColumnStretch(1, 1);

    // The lunch break belongs to the templates: shown here only.
    const OfficeSettings s = SettingsStore(*m_db).office();
    auto *lunch = new QLabel(QStringLiteral("Lunch break:  %1  to  %2").arg(s.lunchStart, s.lunchClose), this);
    lunch->setObjectName(QStringLiteral("lblLunch"));

    auto *gridCaption = new QLabel(
        QStringLiteral("Technicians: type each one's site and name; drag the column lines to set the day page's "
                       "column widths."),
        this);
    gridCaption->setWordWrap(true);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    m_grid->setAccessibleName(QStringLiteral("Technicians"));
    m_grid->setGridModel(&m_setup->grid());
    m_grid->setAllowUserResizing(GridView::ResizeColumns);
    // Three rows and a scroll bar for many technicians.
    m_grid->setFixedHeight(84);
    m_grid->installEventFilter(this);
    connect(m_grid, &GridView::charTyped, this, &OfficeSetupWindow::gridChar);
    connect(m_grid, &GridView::mousePressed, this, [this] { hideEditBox(); });
    connect(m_grid, &GridView::scrolled, this, &OfficeSetupWindow::hideEditBox);

    m_txtEdit = new QLineEdit(this);
    m_txtEdit->setObjectName(QStringLiteral("txtEdit"));
    m_txtEdit->setAccessibleName(QStringLiteral("Cell text"));
    m_txtEdit->setFrame(false);
    m_txtEdit->setFont(m_setup->grid().font());
    m_txtEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^%\\t\\r\\n]*")), this));
    m_txtEdit->hide();
    m_txtEdit->installEventFilter(this);
    connect(m_txtEdit, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (m_txtEdit->isVisible())
            m_setup->grid().setText(m_editRow, m_editCol, t);
    });

    m_okay = new QPushButton(QStringLiteral("Okay"), this);
    m_okay->setObjectName(QStringLiteral("cmdOkay"));
    m_reset = new QPushButton(QStringLiteral("Reset"), this);
    m_reset->setObjectName(QStringLiteral("cmdReset"));
    for (QPushButton *b : {m_okay, m_reset}) {
        b->setAutoDefault(true);
        b->setMinimumSize(110, 30);
        b->installEventFilter(this);
    }
    connect(m_okay, &QPushButton::clicked, this, &OfficeSetupWindow::cmdOkay);
    connect(m_reset, &QPushButton::clicked, this, &OfficeSetupWindow::cmdReset);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okay);
    buttons->addSpacing(20);
    buttons->addWidget(m_reset);
    buttons->addStretch(1);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(24, 18, 24, 18);
    root->addLayout(form);
    root->addSpacing(4);
    root->addWidget(lunch);
    root->addSpacing(8);
    root->addWidget(gridCaption);
    root->addWidget(m_grid);
    root->addStretch(1);
    root->addSpacing(8);
    root->addLayout(buttons);
    resize(760, 440);

    setTabOrder(box(F::Location), box(F::OpenHour));
    setTabOrder(box(F::OpenHour), box(F::OpenMinute));
    setTabOrder(box(F::OpenMinute), box(F::OpenAmPm));
    setTabOrder(box(F::OpenAmPm), box(F::CloseHour));
    setTabOrder(box(F::CloseHour), box(F::CloseMinute));
    setTabOrder(box(F::CloseMinute), box(F::CloseAmPm));
    setTabOrder(box(F::CloseAmPm), box(F::Slot));
    setTabOrder(box(F::Slot), box(F::Lines));
    setTabOrder(box(F::Lines), box(F::Count));
    setTabOrder(box(F::Count), m_grid);
    setTabOrder(m_grid, m_okay);
    setTabOrder(m_okay, m_reset);
}

void OfficeSetupWindow::showValues()
{
    for (int f = 0; f < F::FieldCount; ++f)
        m_boxes[f]->setText(m_setup->text(F::Field(f)));
    m_lblOpen->setText(m_setup->openText());
    m_lblClose->setText(m_setup->closeText());
}

int OfficeSetupWindow::fieldOf(QObject *o) const
{
    for (int f = 0; f < F::FieldCount; ++f)
        if (m_boxes[f] == o)
            return f;
    return -1;
}

void OfficeSetupWindow::refocus(QWidget *w)
{
    // After the focus change under way has ended.
    QTimer::singleShot(0, w, [w] { w->setFocus(); });
}

bool OfficeSetupWindow::leaveBox(F::Field f)
{
    if (f == F::Location)
        return true;
    const auto kept = F::left(f, box(f)->text());
    if (!kept) {
        refocus(box(f));
        return false;
    }
    if (*kept != box(f)->text())
        box(f)->setText(*kept);
    if (f == F::Count && kept->toInt() != m_setup->count())
        applyCount();
    return true;
}

void OfficeSetupWindow::applyCount()
{
    hideEditBox();
    if (box(F::Count)->text().isEmpty())
        return;
    m_busy = true;
    m_setup->applyCount();
    box(F::Count)->setText(m_setup->text(F::Count));
    m_setup->grid().setCurrentCell(1, 1);
    m_busy = false;
}

void OfficeSetupWindow::enterInBox(F::Field f)
{
    if (box(f)->text().isEmpty())
        return; // an empty box keeps the focus
    static const F::Field next[] = {F::OpenHour,  F::OpenMinute, F::OpenAmPm, F::CloseHour, F::CloseMinute,
                                    F::CloseAmPm, F::Slot,       F::Count,    F::Count,     F::Count};
    if (f == F::Count) {
        box(F::Count)->setText(F::left(F::Count, box(F::Count)->text()).value_or(QStringLiteral("1")));
        applyCount();
        m_grid->setFocus();
        return;
    }
    box(next[f])->setFocus();
}

bool OfficeSetupWindow::arrowInBox(F::Field f, int key)
{
    QWidget *to = nullptr;
    if (key == Qt::Key_Down) {
        switch (f) {
        case F::Location: to = box(F::OpenHour); break;
        case F::OpenHour: to = box(F::CloseHour); break;
        case F::OpenMinute: to = box(F::CloseMinute); break;
        case F::OpenAmPm: to = box(F::CloseAmPm); break;
        case F::CloseHour:
        case F::CloseMinute:
        case F::CloseAmPm: to = box(F::Slot); break;
        case F::Slot:
        case F::Lines: to = box(F::Count); break;
        case F::Count: to = m_grid; break;
        }
    } else if (key == Qt::Key_Up) {
        switch (f) {
        case F::Location: break;
        case F::OpenHour:
        case F::OpenMinute:
        case F::OpenAmPm: to = box(F::Location); break;
        case F::CloseHour: to = box(F::OpenHour); break;
        case F::CloseMinute: to = box(F::OpenMinute); break;
        case F::CloseAmPm: to = box(F::OpenAmPm); break;
        case F::Slot: to = box(F::CloseHour); break;
        case F::Lines: to = box(F::Slot); break;
        case F::Count: to = box(F::Lines); break;
        }
    }
    if (!to)
        return false;
    to->setFocus(Qt::TabFocusReason);
    return true;
}

bool OfficeSetupWindow::eventFilter(QObject *watched, QEvent *event)
{
    const int f = fieldOf(watched);
    if (event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        if (f >= 0) {
            if (isEnter(k->key())) {
                enterInBox(F::Field(f));
                return true;
            }
            if ((k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) && arrowInBox(F::Field(f), k->key()))
                return true;
        } else if (watched == m_txtEdit && isEnter(k->key())) {
            hideEditBox();
            m_grid->setFocus();
            return true;
        } else if (watched == m_okay || watched == m_reset) {
            if (k->key() == Qt::Key_Up) {
                box(F::Count)->setFocus();
                return true;
            }
            // Any character typed on Okay presses it.
            if (watched == m_okay && !k->text().isEmpty() && k->key() != Qt::Key_Tab && k->key() != Qt::Key_Backtab) {
                cmdOkay();
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut && f >= 0 && !m_busy) {
        if (isUserMove(static_cast<QFocusEvent *>(event)->reason()))
            leaveBox(F::Field(f));
    }
    return QWidget::eventFilter(watched, event);
}

void OfficeSetupWindow::gridChar(QChar ch)
{
    if (ch == QLatin1Char('\t')) {
        m_okay->setFocus();
        return;
    }
    if (ch != QLatin1Char('\r') && !ch.isPrint() && ch != QLatin1Char('\b'))
        return;
    openEditBox(ch);
}

void OfficeSetupWindow::openEditBox(QChar typed)
{
    GridModel &g = m_setup->grid();
    const int r = g.row(), c = g.col();
    if (g.isFixedCell(r, c) || !g.isValidCell(r, c))
        return;
    if (!placeEditBox(m_txtEdit, m_grid, r, c))
        return;
    m_editRow = r;
    m_editCol = c;
    m_txtEdit->setText(g.text(r, c));
    m_txtEdit->show();
    m_txtEdit->raise();
    m_txtEdit->setFocus();
    if (typed == QLatin1Char('\r')) {
        m_txtEdit->end(false);
        return;
    }
    typeIntoEditBox(m_txtEdit, QString(typed));
}

void OfficeSetupWindow::hideEditBox() { ::hideEditBox(m_txtEdit, m_grid); }

void OfficeSetupWindow::cmdReset()
{
    hideEditBox();
    m_setup->reset();
    showValues();
    box(F::Location)->setFocus();
}

void OfficeSetupWindow::cmdOkay()
{
    if (m_busy)
        return;
    hideEditBox();
    if (!save())
        return;
    // The day page shown anywhere was laid out from the old settings.
    WindowSwitcher::closeWindows({QStringLiteral("frmAppt")});
    QWidget *next = nullptr;
    if (m_state.dialogs()->ask(QStringLiteral("Do you wish to configure page templates for each day of the week?"),
                               QStringLiteral("Configure Page Templates"))) {
        if (m_setup->techsAdded())
            m_state.dialogs()->message(QStringLiteral("You will have to reconfigure the techs' skill levels."),
                                       QStringLiteral("Tech skill levels"));
        next = m_state.windows().templateEditor(m_state);
    } else {
        next = m_state.windows().dayPage(m_state);
    }
    if (next)
        m_state.switcher()->replace(this, next);
    else
        WindowSwitcher::closeByProgram(this);
}

bool OfficeSetupWindow::save()
{
    Dialogs &dialogs = *m_state.dialogs();
    // Every box as its rule leaves it, whether or not the user left it.
    for (int f = F::OpenHour; f <= F::Count; ++f) {
        if (!F::left(F::Field(f), box(F::Field(f))->text())) {
            box(F::Field(f))->setFocus();
            return false;
        }
        box(F::Field(f))->setText(*F::left(F::Field(f), box(F::Field(f))->text()));
    }
    if (box(F::Count)->text().toInt() != m_setup->count())
        applyCount();
    if (m_setup->refusedField()) {
        m_grid->setFocus();
        return false;
    }
    const StationRegistration &me = m_state.registration();
    int others = 0;
    try {
        others = StationRegistry::othersRunning(*m_db, me.id, me.timeoutMs);
    } catch (const AppError &e) {
        dialogs.error(e, SaveTitle);
        return false;
    }
    if (others > 0) {
        dialogs.message(QStringLiteral("Please log out all client stations before saving new settings.\n\n%1.")
                            .arg(StationRegistry::othersOpenText(others)),
                        SaveTitle);
        return false;
    }
    dialogs.message(QStringLiteral("Please note: Only new 'empty' pages will display changed time setting. Existing "
                                   "pages with appointment data saved will retain their original time settings."),
                    QStringLiteral("Changed time settings"));
    m_lblOpen->setText(m_setup->openText());
    m_lblClose->setText(m_setup->closeText());
    if (m_setup->closingBeforeOpening()) {
        dialogs.message(QStringLiteral("Closing time earlier than Opening time!"),
                        QStringLiteral("Time Setting Error"));
        box(F::CloseHour)->setFocus();
        return false;
    }
    const QDate today = QDate::currentDate();
    try {
        const QVector<OfficeSetup::Hidden> hidden = m_setup->hiddenBookings(today);
        if (!hidden.isEmpty()) {
            QStringList lines;
            for (const OfficeSetup::Hidden &h : hidden)
                lines << QStringLiteral("%1, column %2")
                             .arg(QLocale(QLocale::English).toString(h.date, QStringLiteral("dddd d MMMM yyyy")))
                             .arg(h.col);
            const QString text =
                QStringLiteral("With %1 technicians, these bookings would no longer show on their pages (their "
                               "records are kept):\n\n%2\n\nSave the new settings?")
                    .arg(m_setup->count())
                    .arg(lines.join(QLatin1Char('\n')));
            if (dialogs.message(text, SaveTitle, Dialogs::YesNoDefaultNo, Dialogs::Question) != Dialogs::AnsYes)
                return false;
        }
        m_setup->save(today, me.id, me.timeoutMs);
        if (!m_setup->droppedTemplateCells().isEmpty())
            dialogs.message(QStringLiteral("The page templates keep their blocked cells at the same times. These "
                                           "cells have no time slot in the new hours and were dropped:\n\n%1")
                                .arg(m_setup->droppedTemplateCells().join(QLatin1Char('\n'))),
                            SaveTitle, Dialogs::Ok, Dialogs::Information);
    } catch (const AppError &e) {
        if (e.number() == ErrNo::InUse)
            dialogs.message(QStringLiteral("Please log out all client stations before saving new settings.\n\n%1.")
                                .arg(e.description()),
                            SaveTitle);
        else if (e.number() == ErrNo::RecordLocked)
            dialogs.message(QStringLiteral("Another station is writing to the database. Nothing was saved; please "
                                           "try again in a moment."),
                            SaveTitle, Dialogs::Ok, Dialogs::Warning);
        else
            dialogs.error(e, SaveTitle);
        return false;
    }
    return true;
}

void OfficeSetupWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen *s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}

void OfficeSetupWindow::closeEvent(QCloseEvent *event)
{
    if (!WindowSwitcher::closedByProgram(this))
        SetupMenuWindow::showAgain(m_state);
    event->accept();
}
