#include "booking/PicklistWindow.h"

#include "booking/BookingWindow.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "core/Dialogs.h"
#include "core/StartDoc.h"
#include "core/Station.h"
#include "core/Twips.h"
#include "store/Database.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

const QString PicklistWindow::ReadFailedText =
    QStringLiteral("The lists could not be read: %1\n\nThey cannot be changed here until they can be read.");

namespace {
constexpr qint64 SelectedColor = 0xFFFFC0;

int slot(PicklistKind k) { return int(k); }
} // namespace

PicklistWindow::PicklistWindow(AppState &state, PicklistKind kind, BookingWindow *booking, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_list(kind), m_pickMode(booking != nullptr), m_booking(booking)
{
    setObjectName(m_list.formName());
    setWindowTitle(m_list.caption());
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    try {
        Database db(sharedDbPath(m_state.paths()));
        m_list.load(db);
        m_loaded = true;
    } catch (const AppError &e) {
        // Saving empty boxes would write over the stored lists.
        m_state.dialogs()->message(ReadFailedText.arg(e.description()), m_list.caption(), Dialogs::Ok,
                                   Dialogs::Warning);
    }
    m_save->setEnabled(m_loaded);
    fill();
}

PicklistWindow::~PicklistWindow() = default;

void PicklistWindow::build()
{
    const QVector<PicklistColumn> &columns = m_list.columns();
    auto *root = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    root->addLayout(grid);
    auto *noPercent = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^%]*")), this);

    m_boxes.resize(columns.size());
    auto makeBox = [&](int c, int i) {
        const PicklistColumn &col = columns.at(c);
        auto *e = new QLineEdit(this);
        e->setObjectName(col.count > 1 || col.list ? col.control + QString::number(i) : col.control);
        if (col.list)
            e->setValidator(noPercent);
        e->setReadOnly(m_pickMode);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this, c, i](const QString &text) { m_list.setText(c, i, text); });
        m_boxes[c] << e;
        return e;
    };

    if (m_list.isJobList()) {
        const char *heads[] = {"Item", "Hours", "Price"};
        for (int c = 0; c < 3; ++c) {
            auto *h = new QLabel(QString::fromLatin1(heads[c]), this);
            grid->addWidget(h, 0, c);
        }
        for (int i = 0; i < columns.first().count; ++i) {
            for (int c = 0; c < 3; ++c) {
                QLineEdit *e = makeBox(c, i);
                e->setAccessibleName(QStringLiteral("%1 %2").arg(QString::fromLatin1(heads[c])).arg(i + 1));
                if (c > 0) {
                    e->setFixedWidth(70);
                    e->setAlignment(Qt::AlignRight);
                }
                grid->addWidget(e, i + 1, c);
            }
        }
        grid->setColumnMinimumWidth(0, 220);
        grid->setColumnStretch(0, 1);
    } else if (m_list.kind() == PicklistKind::Address) {
        int row = 0;
        const char *labels[] = {"Default City:", "Others:", "Default Province:", "Others:"};
        for (int c = 0; c < columns.size(); ++c) {
            auto *l = new QLabel(QString::fromLatin1(labels[c]), this);
            grid->addWidget(l, row, 0, Qt::AlignTop);
            for (int i = 0; i < columns.at(c).count; ++i) {
                QLineEdit *e = makeBox(c, i);
                if (i == 0)
                    l->setBuddy(e);
                e->setAccessibleName(QString::fromLatin1(labels[c]).remove(QLatin1Char(':'))
                                     + (columns.at(c).count > 1 ? QStringLiteral(" %1").arg(i + 1) : QString()));
                grid->addWidget(e, row++, 1);
            }
            if (c == 1)
                grid->setRowMinimumHeight(row++, 8);
        }
        grid->setColumnMinimumWidth(1, 200);
    } else {
        for (int i = 0; i < columns.first().count; ++i) {
            QLineEdit *e = makeBox(0, i);
            e->setAccessibleName(m_list.caption() + QStringLiteral(" %1").arg(i + 1));
            grid->addWidget(e, i, 0);
        }
        grid->setColumnMinimumWidth(0, 180);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    if (m_list.isJobList()) {
        m_info = new QPushButton(QStringLiteral("Info"), this);
        m_info->setObjectName(QStringLiteral("cmdInfo"));
        connect(m_info, &QPushButton::clicked, this, &PicklistWindow::cmdInfo);
        buttons->addWidget(m_info);
    }
    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    connect(m_save, &QPushButton::clicked, this, &PicklistWindow::cmdSave);
    m_save->setVisible(!m_pickMode);
    buttons->addWidget(m_save);
    root->addLayout(buttons);

    for (QWidget *w : findChildren<QPushButton *>())
        w->installEventFilter(this);
    paintMarks();
}

void PicklistWindow::fill()
{
    for (int c = 0; c < m_boxes.size(); ++c)
        for (int i = 0; i < m_boxes.at(c).size(); ++i)
            m_boxes[c][i]->setText(m_list.text(c, i));
}

void PicklistWindow::paintMarks()
{
    for (int i = 0; i < m_boxes.first().size(); ++i) {
        QLineEdit *e = m_boxes.first().at(i);
        QPalette p = e->palette();
        p.setColor(QPalette::Base, colorFromNumber(m_list.isSelected(i) ? SelectedColor : WhiteColor));
        e->setPalette(p);
    }
}

void PicklistWindow::setBookingForm(BookingWindow *booking) { m_booking = booking; }

void PicklistWindow::place()
{
    if (m_pickMode && m_booking) {
        const QRect form = m_booking->frameGeometry();
        const int down = twipsToPixels(m_list.isJobList() ? 100 : 200);
        QRect r = frameGeometry();
        r.moveTopLeft(QPoint(form.left() + form.width(), form.top() + down));
        // Wholly on the screen that holds the form: beside it where there is room, else over it.
        if (const QScreen *s = m_booking->screen()) {
            const QRect avail = s->availableGeometry();
            if (r.right() > avail.right())
                r.moveRight(avail.right());
            if (r.bottom() > avail.bottom())
                r.moveBottom(avail.bottom());
            r.moveLeft(qMax(r.left(), avail.left()));
            r.moveTop(qMax(r.top(), avail.top()));
        }
        move(r.topLeft());
    } else if (QScreen *s = screen()) {
        adjustSize();
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}

void PicklistWindow::unload()
{
    m_unloading = true;
    close();
}

void PicklistWindow::pressed(int column, int index)
{
    if (!m_pickMode)
        return;
    if (m_list.multiPick() > 0) {
        if (column != 0)
            return;
        if (m_marksStale) {
            m_marksStale = false;
            m_list.clearSelection();
        }
        m_list.toggle(index);
        paintMarks();
        return;
    }
    const Picklist::Pick pick = m_list.pick(column, index);
    if (pick.writes.isEmpty())
        return;
    if (m_booking)
        m_booking->applyPick(pick);
    close();
}

void PicklistWindow::cmdSave()
{
    if (!m_loaded)
        return;
    try {
        Database db(sharedDbPath(m_state.paths()));
        m_list.save(db);
    } catch (const AppError &e) {
        // The lists stay in the boxes, so the user can save again.
        m_state.dialogs()->error(e, m_list.caption());
    }
}

void PicklistWindow::cmdInfo()
{
    openDocument(*m_state.dialogs(), QDir(m_state.paths().serverFolder()).filePath(QStringLiteral("Info.doc")));
}

bool PicklistWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int c = 0; c < m_boxes.size(); ++c) {
            const int i = int(m_boxes.at(c).indexOf(static_cast<QLineEdit *>(watched)));
            if (i >= 0) {
                pressed(c, i);
                break;
            }
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (m_pickMode && pickKey(watched, key->key()))
            return true;
        // Enter moves on as Tab does, on the buttons too.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool PicklistWindow::pickKey(QObject *watched, int key)
{
    if (key == Qt::Key_Escape) {
        close();
        return true;
    }
    for (int c = 0; c < m_boxes.size(); ++c) {
        const int i = int(m_boxes.at(c).indexOf(qobject_cast<QLineEdit *>(watched)));
        if (i < 0)
            continue;
        switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const int to = i + (key == Qt::Key_Up ? -1 : 1);
            if (to >= 0 && to < m_boxes.at(c).size())
                m_boxes[c][to]->setFocus(Qt::TabFocusReason);
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter: pressed(c, i); return true;
        default: return false;
        }
    }
    return false;
}

void PicklistWindow::focusFirstBox()
{
    if (!m_boxes.isEmpty() && !m_boxes.first().isEmpty())
        m_boxes.first().first()->setFocus(Qt::TabFocusReason);
}

void PicklistWindow::changeEvent(QEvent *event)
{
    // The menu-items editor forgets its marks when the user leaves it and comes back.
    if (event->type() == QEvent::ActivationChange && m_list.kind() == PicklistKind::MenuItems && m_pickMode) {
        if (!isActiveWindow()) {
            m_marksStale = true;
        } else if (m_marksStale) {
            m_marksStale = false;
            m_list.clearSelection();
            paintMarks();
        }
    }
    QWidget::changeEvent(event);
}

void PicklistWindow::closeEvent(QCloseEvent *event)
{
    // The keys go back to the form picked for, whatever window the desktop would activate next.
    const bool backToForm = !m_unloading && m_pickMode && m_booking && isActiveWindow();
    if (!m_unloading && m_pickMode && m_list.multiPick() == 0) {
        event->ignore();
        hide();
        if (backToForm)
            m_booking->activateWindow();
        return;
    }
    if (!m_unloading && m_pickMode && m_booking)
        m_booking->applyPick(m_list.applySelection());
    if (!m_pickMode)
        emit editClosed();
    event->accept();
    if (backToForm)
        m_booking->activateWindow();
}

PicklistEditors::~PicklistEditors()
{
    for (auto &w : m_windows)
        if (w)
            delete w.data();
}

PicklistWindow *PicklistEditors::find(PicklistKind kind) const { return m_windows[slot(kind)].data(); }

void PicklistEditors::unload(PicklistKind kind)
{
    if (PicklistWindow *w = find(kind))
        w->unload();
}

PicklistWindow *PicklistEditors::show(AppState &state, PicklistKind kind, BookingWindow *booking)
{
    QPointer<PicklistWindow> &w = m_windows[slot(kind)];
    const bool pick = booking != nullptr;
    // A pick-mode editor comes back in edit mode when the setup menu asks for it, also one left
    // open after its booking form closed; its picks have nowhere to go.
    if (w && !pick && w->pickMode()) {
        w->unload();
        w.clear();
    }
    if (!w) {
        w = new PicklistWindow(state, kind, pick ? booking : nullptr);
        w->adjustSize();
    } else if (pick && w->pickMode()) {
        w->setBookingForm(booking);
    }
    w->place();
    w->show();
    w->place(); // again with the frame the window got on showing
    w->raise();
    w->activateWindow();
    if (pick)
        w->focusFirstBox();
    return w;
}
