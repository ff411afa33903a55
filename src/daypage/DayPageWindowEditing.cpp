// The editing side of the day page window: grid keys and mouse, the in-place edit box, the Edit
// commands, memos and booking number.
#include "daypage/DayPageWindow.h"

#include "core/AppState.h"
#include "core/BookingCell.h"
#include "core/Colors.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "core/StartDoc.h"
#include "core/Twips.h"
#include "daypage/Legend.h"
#include "maint/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolBar>

namespace {
QFont arialFont(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"), points);
    f.setBold(bold);
    return f;
}

void setBoxColour(QWidget *box, qint64 colour)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colorFromNumber(colour));
    box->setPalette(p);
}

// The focus really moving, as opposed to a menu popping up or another window coming to the
// front for a moment (a message box): only the first counts as getting or leaving a box.
bool focusMoved(QEvent *event)
{
    const auto reason = static_cast<QFocusEvent *>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

bool isClipboardKey(QKeyEvent *k)
{
    return k->matches(QKeySequence::Cut) || k->matches(QKeySequence::Copy) || k->matches(QKeySequence::Paste);
}

} // namespace

void DayPageWindow::buildEditControls(QWidget *central, QLayout *outer, QBoxLayout *bottom)
{
    auto *column = qobject_cast<QBoxLayout *>(outer);

    // The in-place edit box lies over the cell being typed into; it belongs to the window, not
    // the grid, so keys it does not use never reach the grid.
    m_txtEdit = new QLineEdit(central);
    m_txtEdit->setObjectName(QStringLiteral("txtEdit"));
    m_txtEdit->setAccessibleName(QStringLiteral("Cell text"));
    m_txtEdit->setFont(arialFont(8, true));
    m_txtEdit->setFrame(false);
    m_txtEdit->setDragEnabled(false);
    m_txtEdit->setAcceptDrops(false);
    m_txtEdit->hide();
    m_txtEdit->installEventFilter(this);
    connect(m_txtEdit, &QLineEdit::textChanged, this, &DayPageWindow::cleanEditText);
    connect(m_grid, &GridView::scrolled, this, &DayPageWindow::hideEditBox);
    m_grid->installEventFilter(this);

    connect(m_grid, &GridView::keyPressed, this, [this](QKeyEvent *e) {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            e->accept();
            gridEnter();
        }
    });
    connect(m_grid, &GridView::charTyped, this, &DayPageWindow::gridChar);
    connect(m_grid, &GridView::mousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint &) {
                if (button == Qt::LeftButton && !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
                    gridLeftPressed();
            });
    connect(m_grid, &GridView::mouseReleased, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint &pos) {
                if (button == Qt::RightButton && !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
                    gridRightReleased(pos);
            });
    connect(m_pageLockCheck, &QCheckBox::toggled, this, &DayPageWindow::setPageLock);

    // Next booking number, at the end of the totals row.
    auto *lblBook = new QLabel(QStringLiteral("Next Booking No."), central);
    lblBook->setFont(arialFont(8, true));
    m_txtBook = new QLineEdit(central);
    m_txtBook->setObjectName(QStringLiteral("txtBook"));
    m_txtBook->setFont(arialFont(9, true));
    m_txtBook->setMinimumWidth(56);
    m_txtBook->setMaximumWidth(90);
    lblBook->setBuddy(m_txtBook);
    m_txtBook->installEventFilter(this);
    bottom->addWidget(lblBook);
    bottom->addWidget(m_txtBook);

    // Daily memo, with the fixed memo lying over it when shown.
    auto *memoRow = new QHBoxLayout;
    auto *memos = new QGridLayout;
    memos->setSpacing(2);
    m_lblMemo = new QLabel(QStringLiteral("Daily Memo  (F3)"), central);
    m_lblMemo->setObjectName(QStringLiteral("lblMemo"));
    m_lblFixedMemo = new QLabel(QStringLiteral("Fixed Memo  (F3)"), central);
    m_lblFixedMemo->setObjectName(QStringLiteral("lblFixedMemo"));
    m_txtMemo = new QPlainTextEdit(central);
    m_txtMemo->setObjectName(QStringLiteral("TxtMemo"));
    m_txtFixedMemo = new QPlainTextEdit(central);
    m_txtFixedMemo->setObjectName(QStringLiteral("TxtFixedMemo"));
    for (QLabel *l : {m_lblMemo, m_lblFixedMemo}) {
        l->setFont(arialFont(8, true));
        l->setAutoFillBackground(true);
        memos->addWidget(l, 0, 0);
    }
    for (QPlainTextEdit *box : {m_txtMemo, m_txtFixedMemo}) {
        box->setFont(arialFont(9, false));
        box->setMinimumHeight(30); // room given up first on a small screen
        box->setMaximumHeight(58);
        box->setTabChangesFocus(false);
        setBoxColour(box, QBColor(7));
        box->installEventFilter(this);
        memos->addWidget(box, 1, 0);
    }
    m_lblMemo->setBuddy(m_txtMemo);
    m_lblFixedMemo->setBuddy(m_txtFixedMemo);
    m_lblFixedMemo->hide();
    m_txtFixedMemo->hide();
    memoRow->addLayout(memos, 1);
    m_cmdMemo = new QPushButton(QStringLiteral("Fixed Memo"), central);
    m_cmdMemo->setObjectName(QStringLiteral("cmdMemo"));
    m_cmdMemo->setAccessibleName(QStringLiteral("Switch memo"));
    m_cmdMemo->setAutoDefault(true);
    connect(m_cmdMemo, &QPushButton::clicked, this, &DayPageWindow::switchMemo);
    memoRow->addWidget(m_cmdMemo, 0, Qt::AlignBottom);
    column->addLayout(memoRow);

    // Colour legend: placed by hand, as the captions' widths decide where each sample goes.
    m_legend = new QWidget(central);
    m_legend->setObjectName(QStringLiteral("fraLegend"));
    m_legend->setAccessibleName(QStringLiteral("Colour legend"));
    m_legend->setFixedHeight(LegendLineHeight);
    m_legend->installEventFilter(this); // placed again when its width changes
    const QStringList captions = Legend::defaultCaptions();
    for (int i = 0; i < Legend::Count; ++i) {
        auto *img = new QLabel(m_legend);
        img->setObjectName(QStringLiteral("Image1_%1").arg(i));
        img->setPixmap(Legend::swatch(i));
        img->setFixedSize(16, 16);
        auto *cap = new QLabel(captions.at(i), m_legend);
        cap->setObjectName(QStringLiteral("Label1_%1").arg(i));
        cap->setFont(arialFont(8, false));
        img->setAccessibleName(captions.at(i));
        m_legendSwatches.append(img);
        m_legendCaptions.append(cap);
    }
    placeLegend();
    column->addWidget(m_legend);

    // Print options, shown over the page.
    m_printPanel = new QFrame(central);
    m_printPanel->setObjectName(QStringLiteral("fraPrint"));
    m_printPanel->setFrameShape(QFrame::Panel);
    m_printPanel->setFrameShadow(QFrame::Raised);
    m_printPanel->setLineWidth(2);
    m_printPanel->setAutoFillBackground(true);
    {
        QPalette p = m_printPanel->palette();
        p.setColor(QPalette::Window, colorFromNumber(FixedCellColor));
        m_printPanel->setPalette(p);
    }
    auto *printBox = new QVBoxLayout(m_printPanel);
    static const char *const choices[] = {"View Weekly Schedule", "Print Daily Summary", "Print Daily Details"};
    for (int i = 0; i < 3; ++i) {
        m_printChoice[i] = new QRadioButton(QLatin1String(choices[i]), m_printPanel);
        m_printChoice[i]->setObjectName(QStringLiteral("optPrint_%1").arg(i));
        m_printChoice[i]->setFont(arialFont(9, true));
        printBox->addWidget(m_printChoice[i]);
    }
    auto *printButtons = new QHBoxLayout;
    m_cmdPrint = new QPushButton(QStringLiteral("Print"), m_printPanel);
    m_cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    auto *cmdClose = new QPushButton(QStringLiteral("Close"), m_printPanel);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton *b : {m_cmdPrint, cmdClose}) {
        b->setAutoDefault(true);
        printButtons->addWidget(b);
    }
    printBox->addLayout(printButtons);
    m_cmdPrint->setEnabled(false); // until the print views are there to open
    connect(m_cmdPrint, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < 3; ++i)
            if (m_printChoice[i]->isChecked())
                m_state.windows().printView(this, i);
    });
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        m_printPanel->hide();
        m_page->grid().setCurrentCell(PageModel::FirstTimeRow, 1);
        focusGrid();
    });
    m_printPanel->setFixedSize(m_printPanel->sizeHint().expandedTo(QSize(260, 0)));
    m_printPanel->hide();

    // Keys received by the window before its controls.
    auto key = [this](int k, auto slot) {
        auto *sc = new QShortcut(QKeySequence(k), this);
        connect(sc, &QShortcut::activated, this, slot);
    };
    key(Qt::Key_F1, [this] { showHelp(); });
    key(Qt::Key_F3, [this] { switchMemo(); });
    // A text box with the focus takes the Delete key itself (the shortcut then does not fire):
    // a key meant for a memo must not also empty a booked cell.
    key(Qt::Key_Delete, [this] {
        // One booking at a time, as for Enter: a booked slot's Delete works on the booking values.
        closeOpenedWindows();
        if (!bookingWindowOpen())
            m_page->deleteCell();
    });
}

// ---- grid keys and mouse ----

void DayPageWindow::gridEnter()
{
    GridModel &g = m_page->grid();
    const int r = g.row();
    const int c = g.col();
    if (m_page->model().isTypedRow(r)) {
        openEditBox(QString());
        return;
    }
    if (!m_page->model().isTimeSlot(r))
        return;
    try {
        // One booking at a time: the booking window works on the cell of the Booking values, and
        // one kept open by its save question keeps them.
        closeOpenedWindows();
        if (bookingWindowOpen())
            return;
        switch (m_page->enterSlot(r, c)) {
        case DayPage::SlotEnter::NotSlot:
        case DayPage::SlotEnter::Lunch: return;
        case DayPage::SlotEnter::Engaged: focusGrid(); return;
        case DayPage::SlotEnter::Claimed:
        case DayPage::SlotEnter::Booked: break;
        }
        const QPoint at = m_grid->mapTo(this, QPoint(0, 0));
        BookingCell cell{m_page->record().date, r, c, m_page->bookingColor(),
                         QPoint(int(pixelsToTwips(at.x())) + 2000, int(pixelsToTwips(at.y())) + 600)};
        if (m_hoursAsked && m_hoursAsked->date == cell.date && m_hoursAsked->row == r && m_hoursAsked->col == c)
            cell.hours = m_hoursAsked->hours;
        m_hoursAsked.reset();
        m_bookingWindow = m_state.windows().bookingWindow(m_state, this, cell);
    } catch (const AppError &e) {
        // Key handling in the grid ends quietly; Enter can simply be pressed again.
        DiagnosticLog::passedOver(QStringLiteral("Grid1 Enter"), e);
    }
}

void DayPageWindow::gridChar(QChar ch)
{
    if (ch == QLatin1Char('\r') || ch == QLatin1Char('\t'))
        return; // Enter and Tab have their own handling
    if (!ch.isPrint() && ch != QLatin1Char('\b'))
        return;
    if (m_page->model().isTypedRow(m_page->grid().row()))
        openEditBox(QString(ch));
}

void DayPageWindow::openEditBox(const QString &typed)
{
    GridModel &g = m_page->grid();
    const int r = g.row();
    const int c = g.col();
    if (!m_page->model().isTypedRow(r) || !m_page->model().isTechColumn(c))
        return;
    if (!placeEditBox(m_txtEdit, m_grid, r, c))
        return;
    m_editRow = r;
    m_editCol = c;
    m_txtEdit->setReadOnly(m_pageLockCheck->isChecked());
    m_txtEdit->setText(g.text(r, c));
    m_txtEdit->show();
    m_txtEdit->raise();
    m_txtEdit->setFocus();
    if (typed.isEmpty()) {
        m_txtEdit->end(false);
        return;
    }
    typeIntoEditBox(m_txtEdit, typed);
}

void DayPageWindow::commitEdit()
{
    if (!m_txtEdit->isVisible())
        return;
    m_page->saveCellContent(m_editRow, m_editCol, m_txtEdit->text());
    hideEditBox();
    focusGrid();
}

void DayPageWindow::hideEditBox() { ::hideEditBox(m_txtEdit, m_grid); }

// Whatever way text reaches the box (typing, pasting, dropping), no separator of the stored page
// text and no brace stays in it.
void DayPageWindow::cleanEditText()
{
    if (m_cleaningEdit)
        return;
    const QString text = m_txtEdit->text();
    QString clean = PageText::cellText(text);
    clean.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    if (clean == text)
        return;
    m_cleaningEdit = true;
    const int cursor = qMin(m_txtEdit->cursorPosition(), int(clean.size()));
    m_txtEdit->setText(clean);
    m_txtEdit->setCursorPosition(cursor);
    m_cleaningEdit = false;
}

void DayPageWindow::setPageLock(bool on) { m_txtEdit->setReadOnly(on); }

void DayPageWindow::gridLeftPressed()
{
    // The cell clicked, before a booking window saving as it closes moves to its own cell.
    GridModel &g = m_page->grid();
    const int r = g.row();
    const int c = g.col();
    const int top = g.topRow();
    closeOpenedWindows();
    // The user has chosen a cell: an activation must not send them back to the booking's.
    if (!bookingWindowOpen())
        m_page->forgetBookingCell();
    // The day selected in the calendar is opened, which reads the page again; the page stays
    // scrolled where it was clicked.
    openSelectedDay();
    g.setCurrentCell(r, c);
    g.setTopRow(top);
    m_page->refreshGrid();
    if (calendarShown())
        toggleCalendar();
    focusGrid();
}

void DayPageWindow::gridRightReleased(const QPoint &pos)
{
    int r = -1;
    int c = -1;
    if (!m_grid->cellAt(pos, &r, &c) || !m_page->model().isTechColumn(c))
        return;
    const QPoint gridAt = m_grid->mapTo(this, QPoint(0, 0));
    const QRect cell = m_grid->cellRect(r, c);
    const int left = int(pixelsToTwips(cell.left()));
    const QPoint at(int(pixelsToTwips(gridAt.x()))
                        + (left > 6000 ? left - SkillViewerWidth : int(pixelsToTwips(cell.right() + 1))),
                    int(pixelsToTwips(gridAt.y())) + 650);
    if (m_skillViewer)
        m_skillViewer->close();
    m_skillViewer = m_state.windows().skillViewer(m_state, this, c, at);
}

bool DayPageWindow::bookingWindowOpen() const { return m_bookingWindow && m_bookingWindow->isVisible(); }

void DayPageWindow::closeOpenedWindows()
{
    if (m_skillViewer)
        m_skillViewer->close();
    if (m_bookingWindow)
        m_state.windows().closeBookingWindow(m_bookingWindow);
    else if (m_bookingWindow)
        m_bookingWindow->close();
}

// ---- Edit commands ----

QWidget *DayPageWindow::focusedTextBox() const
{
    QWidget *f = focusWidget();
    if (qobject_cast<QLineEdit *>(f) || qobject_cast<QPlainTextEdit *>(f))
        return f;
    return nullptr;
}

void DayPageWindow::editCopy()
{
    QClipboard *clip = QGuiApplication::clipboard();
    clip->clear();
    QWidget *box = focusedTextBox();
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        if (line->hasSelectedText())
            clip->setText(line->selectedText());
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(box)) {
        const QString sel = memo->textCursor().selection().toPlainText();
        if (!sel.isEmpty())
            clip->setText(sel);
    }
}

namespace {
void deleteSelection(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        if (!line->isReadOnly() && line->hasSelectedText())
            line->del();
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(box)) {
        if (!memo->isReadOnly())
            memo->textCursor().removeSelectedText();
    }
}
} // namespace

void DayPageWindow::editDelete()
{
    deleteSelection(focusedTextBox());
    m_page->saveGridData();
}

void DayPageWindow::editCut()
{
    editCopy();
    deleteSelection(focusedTextBox());
    m_page->saveGridData();
}

void DayPageWindow::editPaste()
{
    const QString text = QGuiApplication::clipboard()->text();
    QWidget *box = focusedTextBox();
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        if (!line->isReadOnly())
            line->insert(line == m_txtEdit ? PageText::pastedCellText(text) : text);
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(box)) {
        if (!memo->isReadOnly())
            memo->insertPlainText(text);
    }
    m_page->saveGridData();
}

// ---- memos and booking number ----

void DayPageWindow::switchMemo()
{
    if (m_cmdMemo->text() == QLatin1String("Fixed Memo")) {
        m_lblFixedMemo->show();
        m_txtFixedMemo->show();
        m_lblFixedMemo->raise();
        m_txtFixedMemo->raise();
        m_txtFixedMemo->setFocus();
        m_cmdMemo->setText(QStringLiteral("Daily Memo"));
    } else {
        m_lblFixedMemo->hide();
        m_txtFixedMemo->hide();
        m_txtMemo->setFocus();
        m_cmdMemo->setText(QStringLiteral("Fixed Memo"));
    }
}

void DayPageWindow::showDailyMemo(const PageKey &page, const QString &text)
{
    m_txtMemo->setPlainText(text);
    m_txtMemo->document()->setModified(false);
    m_memoPage = page;
    m_memoBase = text;
}

void DayPageWindow::showFixedMemo(const QString &text)
{
    m_txtFixedMemo->setPlainText(text);
    m_txtFixedMemo->document()->setModified(false);
    m_fixedMemoBase = text;
}

void DayPageWindow::showBookNo(const QString &text)
{
    m_txtBook->setText(text);
    m_txtBook->setModified(false);
    m_bookNoBase = text;
}

void DayPageWindow::showPageMemo()
{
    const PageRecord &page = m_page->record();
    // A memo typed but not yet stored belongs to the page it was typed on; one that cannot be
    // stored stays in the box.
    if (m_txtMemo->document()->isModified() && (!storeDailyMemo() || m_memoPage.id == page.id))
        return;
    showDailyMemo(page.key(), page.memo);
}

// The fixed memo and the next booking number as the window loads.
void DayPageWindow::showOfficeTexts()
{
    try {
        showFixedMemo(m_page->settings().fixedMemo());
        showBookNo(m_page->settings().bookNo());
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("txtBook"));
    }
}

void DayPageWindow::memosRead(const QString &fixedMemo, const QString &dailyMemo)
{
    // A box being typed into keeps its text; it is stored when it loses the focus.
    if (!m_txtFixedMemo->document()->isModified())
        showFixedMemo(fixedMemo);
    const bool typed = m_txtMemo->document()->isModified();
    if (!typed || (m_memoPage.id != m_page->record().id && storeDailyMemo()))
        showDailyMemo(m_page->record().key(), dailyMemo);
}

// Each box is stored compare-and-set against what it last showed from the database: a text
// another station stored meanwhile is not overwritten without the user's answer.
bool DayPageWindow::storeDailyMemo()
{
    if (!m_txtMemo->document()->isModified() || !m_memoPage.id)
        return true;
    const auto shown =
        m_page->storeText(DayPage::SharedText::DailyMemo, m_memoPage, m_memoBase, m_txtMemo->toPlainText());
    if (!shown)
        return false;
    showDailyMemo(m_memoPage, *shown);
    return true;
}

bool DayPageWindow::storeFixedMemo()
{
    if (!m_txtFixedMemo->document()->isModified())
        return true;
    const auto shown =
        m_page->storeText(DayPage::SharedText::FixedMemo, {}, m_fixedMemoBase, m_txtFixedMemo->toPlainText());
    if (!shown)
        return false;
    showFixedMemo(*shown);
    return true;
}

bool DayPageWindow::storeBookNo()
{
    if (!m_txtBook->isModified())
        return true;
    const auto shown = m_page->storeText(DayPage::SharedText::BookNo, {}, m_bookNoBase, m_txtBook->text());
    if (!shown)
        return false;
    showBookNo(*shown);
    return true;
}

void DayPageWindow::storeEditedTexts()
{
    storeDailyMemo();
    storeFixedMemo();
    storeBookNo();
}

// Getting the focus shows what is stored now, so a memo changed at another station is seen.
void DayPageWindow::memoFocusIn(QWidget *box)
{
    try {
        if (box == m_txtMemo) {
            setBoxColour(m_txtMemo, FreeSlotColor);
            if (!m_txtMemo->document()->isModified() && m_page->hasPage())
                showDailyMemo(m_page->record().key(), m_page->store().memo(m_page->record().key()));
        } else if (box == m_txtFixedMemo) {
            setBoxColour(m_txtFixedMemo, FreeSlotColor);
            if (!m_txtFixedMemo->document()->isModified())
                showFixedMemo(m_page->settings().fixedMemo());
        } else if (box == m_txtBook) {
            setBoxColour(m_txtBook, FreeSlotColor);
            if (!m_txtBook->isModified())
                showBookNo(m_page->settings().bookNo());
        }
    } catch (const AppError &e) {
        QString title = QStringLiteral("txtBook");
        if (box == m_txtMemo)
            title = QStringLiteral("txtMemo");
        else if (box == m_txtFixedMemo)
            title = QStringLiteral("txtFixedMemo");
        if (box == m_txtBook)
            m_state.dialogs()->error(e, title);
        else
            m_state.dialogs()->info(QStringLiteral("%1: %2").arg(e.number()).arg(e.description()), title);
    }
}

void DayPageWindow::memoFocusOut(QWidget *box)
{
    if (box == m_txtMemo) {
        storeDailyMemo();
        setBoxColour(m_txtMemo, QBColor(7));
    } else if (box == m_txtFixedMemo) {
        storeFixedMemo();
        setBoxColour(m_txtFixedMemo, QBColor(7));
    } else if (box == m_txtBook) {
        storeBookNo();
        setBoxColour(m_txtBook, numberFromColor(palette().color(QPalette::Window)));
    }
}

bool DayPageWindow::editingEvent(QObject *watched, QEvent *event)
{
    if (watched == m_grid) {
        if (event->type() == QEvent::Resize && m_txtEdit->isVisible()) {
            QRect rect = m_grid->cellRect(m_editRow, m_editCol);
            if (rect.isEmpty()) {
                hideEditBox();
            } else {
                rect.moveTopLeft(m_grid->mapTo(m_txtEdit->parentWidget(), rect.topLeft()));
                m_txtEdit->setGeometry(rect);
            }
        }
        return false;
    }
    const bool textBox =
        watched == m_txtEdit || watched == m_txtMemo || watched == m_txtFixedMemo || watched == m_txtBook;
    if (!textBox)
        return false;
    auto *box = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Cut, Copy and Paste keys go to the Edit menu, so they act the same from keys, menu and
        // toolbar (Copy empties the clipboard first; the edit box gets cleaned text).
        return isClipboardKey(static_cast<QKeyEvent *>(event));
    case QEvent::KeyPress: {
        auto *k = static_cast<QKeyEvent *>(event);
        const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (watched == m_txtEdit) {
            if (tab || enter) {
                commitEdit();
                return true;
            }
            const QString t = k->text();
            return t.size() == 1 && PageText::isRefusedInCell(t.at(0));
        }
        if (watched == m_txtBook && (tab || enter)) {
            hideEditBox();
            focusGrid();
            return true;
        }
        if (tab) { // a memo takes no tab: the grid gets the focus
            focusGrid();
            return true;
        }
        return false;
    }
    case QEvent::FocusIn:
        if (watched != m_txtEdit && focusMoved(event))
            memoFocusIn(box);
        return false;
    case QEvent::FocusOut:
        if (watched != m_txtEdit && focusMoved(event))
            memoFocusOut(box);
        return false;
    default: return false;
    }
}
