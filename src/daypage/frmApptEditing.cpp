// The editing side of the day page window: grid keys and mouse, the in-place edit box, the Edit
// commands, memos, booking number, colour legend, print options and the toolbar.
#include "daypage/frmAppt.h"

#include "core/AppState.h"
#include "core/Colors.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "core/StartDoc.h"
#include "core/Twips.h"
#include "daypage/Legend.h"
#include "maint/frmHelp.h"

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
    p.setColor(QPalette::Base, ColorFromNumber(colour));
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

struct ToolKey {
    const char *key;
    const char *tip;
};
// Toolbar buttons in their order; an empty key is a separator.
const ToolKey ToolKeys[] = {
    {"Refresh", "Refresh"},
    {"Calendar", "Calendar"},
    {"", ""},
    {"Open", "Open page"},
    {"Print", "Print"},
    {"xls", "Information document"},
    {"", ""},
    {"Cut", "Cut"},
    {"Copy", "Copy"},
    {"Paste", "Paste"},
    {"Delete", "Delete"},
    {"", ""},
    {"Half", "Half: 1 time row"},
    {"One", "One: 2 time rows"},
    {"OneHalf", "One and a half: 3 time rows"},
    {"Two", "Two: 4 time rows"},
    {"TwoHalf", "Two and a half: 5 time rows"},
    {"Three", "Three: 6 time rows"},
    {"Four", "Four: 8 time rows"},
    {"", ""},
    {"Yellow", "Yellow"},
    {"Blue", "Blue"},
    {"Red", "Red"},
    {"Amber", "Amber"},
    {"Green", "Green"},
    {"Magenta", "Magenta: this slot only"},
    {"", ""},
    {"Search", "Search name"},
    {"Help", "Help"},
    {"Key", "Page lock"},
};

const QHash<QString, int> &spanSlotKeys()
{
    static const QHash<QString, int> keys{{QStringLiteral("Half"), 1},    {QStringLiteral("One"), 2},
                                          {QStringLiteral("OneHalf"), 3}, {QStringLiteral("Two"), 4},
                                          {QStringLiteral("TwoHalf"), 5}, {QStringLiteral("Three"), 6},
                                          {QStringLiteral("Four"), 8}};
    return keys;
}

const QHash<QString, qint64> &spanColorKeys()
{
    static const QHash<QString, qint64> keys{{QStringLiteral("Yellow"), 0xFFFF},
                                             {QStringLiteral("Blue"), 0xFFFFD0},
                                             {QStringLiteral("Red"), 0x8899FF},
                                             {QStringLiteral("Amber"), 0x80D0FF},
                                             {QStringLiteral("Green"), 0x80FF80}};
    return keys;
}
constexpr qint64 MagentaColor = 0xFFB0FF;

// Small drawn pictures for the toolbar, so the buttons look alike on every desktop.
QIcon toolIcon(const QString &key)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x20, 0x20, 0x50);
    p.setPen(QPen(ink, 1.6));
    p.setBrush(Qt::NoBrush);
    auto glyph = [&](const QString &text, int points) {
        QFont f(QStringLiteral("Arial"), points);
        f.setBold(true);
        f.setPixelSize(points);
        p.setFont(f);
        p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, text);
    };
    auto page = [&](const QRectF &r) {
        p.setBrush(Qt::white);
        p.drawRect(r);
        p.setBrush(Qt::NoBrush);
    };
    if (spanColorKeys().contains(key) || key == QLatin1String("Magenta")) {
        const qint64 n = key == QLatin1String("Magenta") ? MagentaColor : spanColorKeys().value(key);
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        p.setBrush(ColorFromNumber(n));
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
        if (key == QLatin1String("Magenta")) {
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9.5, 9.5, 5, 5));
        }
    } else if (spanSlotKeys().contains(key)) {
        static const QHash<QString, QString> labels{
            {QStringLiteral("Half"), QStringLiteral("\u00bd")},     {QStringLiteral("One"), QStringLiteral("1")},
            {QStringLiteral("OneHalf"), QStringLiteral("1\u00bd")}, {QStringLiteral("Two"), QStringLiteral("2")},
            {QStringLiteral("TwoHalf"), QStringLiteral("2\u00bd")}, {QStringLiteral("Three"), QStringLiteral("3")},
            {QStringLiteral("Four"), QStringLiteral("4")}};
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
        p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
        p.setPen(ink);
        glyph(labels.value(key), 12);
    } else if (key == QLatin1String("Refresh")) {
        p.drawArc(QRectF(5, 5, 14, 14), 60 * 16, 280 * 16);
        QPainterPath head;
        head.moveTo(16, 2.5);
        head.lineTo(20.5, 7.5);
        head.lineTo(14, 9);
        head.closeSubpath();
        p.setBrush(ink);
        p.drawPath(head);
    } else if (key == QLatin1String("Calendar")) {
        page(QRectF(3.5, 4.5, 17, 16));
        p.fillRect(QRectF(3.5, 4.5, 17, 4), QColor(0xC0, 0x30, 0x30));
        p.setPen(QPen(ink, 1));
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 3; ++y)
                p.drawPoint(QPointF(6.5 + x * 3.7, 11.5 + y * 3));
    } else if (key == QLatin1String("Open")) {
        p.setBrush(QColor(0xF0, 0xD0, 0x70));
        p.drawRect(QRectF(2.5, 6.5, 17, 13));
        p.setBrush(QColor(0xF8, 0xE0, 0x90));
        QPolygonF lid{{5.5, 10.5}, {22.5, 10.5}, {19.5, 19.5}, {2.5, 19.5}};
        p.drawPolygon(lid);
    } else if (key == QLatin1String("Print")) {
        page(QRectF(7.5, 2.5, 9, 7));
        p.setBrush(QColor(0xB0, 0xB0, 0xC0));
        p.drawRect(QRectF(3.5, 9.5, 17, 8));
        page(QRectF(7.5, 14.5, 9, 7));
    } else if (key == QLatin1String("xls")) {
        page(QRectF(5.5, 2.5, 13, 19));
        p.setPen(QPen(QColor(0x20, 0x60, 0xC0), 1));
        glyph(QStringLiteral("i"), 13);
    } else if (key == QLatin1String("Cut")) {
        p.drawEllipse(QRectF(4, 15, 6, 6));
        p.drawEllipse(QRectF(14, 15, 6, 6));
        p.drawLine(QPointF(8.5, 15.5), QPointF(16, 3));
        p.drawLine(QPointF(15.5, 15.5), QPointF(8, 3));
    } else if (key == QLatin1String("Copy")) {
        page(QRectF(3.5, 3.5, 11, 13));
        page(QRectF(9.5, 7.5, 11, 13));
    } else if (key == QLatin1String("Paste")) {
        p.setBrush(QColor(0xC0, 0x90, 0x50));
        p.drawRect(QRectF(4.5, 4.5, 15, 17));
        page(QRectF(8.5, 8.5, 11, 12));
        p.setBrush(QColor(0x90, 0x90, 0x90));
        p.drawRect(QRectF(8.5, 2.5, 7, 4));
    } else if (key == QLatin1String("Delete")) {
        p.setPen(QPen(QColor(0xC0, 0x20, 0x20), 2.4));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
    } else if (key == QLatin1String("Search")) {
        p.setPen(QPen(ink, 2));
        p.drawEllipse(QRectF(3.5, 3.5, 11, 11));
        p.drawLine(QPointF(13, 13), QPointF(20.5, 20.5));
    } else if (key == QLatin1String("Help")) {
        p.setBrush(QColor(0xD0, 0xE0, 0xFF));
        p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        glyph(QStringLiteral("?"), 14);
    } else if (key == QLatin1String("Key")) {
        p.setPen(QPen(QColor(0x90, 0x70, 0x10), 2));
        p.drawEllipse(QRectF(2.5, 7.5, 8, 8));
        p.drawLine(QPointF(10.5, 11.5), QPointF(21.5, 11.5));
        p.drawLine(QPointF(17.5, 11.5), QPointF(17.5, 15.5));
        p.drawLine(QPointF(20.5, 11.5), QPointF(20.5, 15));
    }
    return QIcon(pm);
}
} // namespace

void frmAppt::buildEditControls(QWidget *central, QLayout *outer, QBoxLayout *bottom)
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
    connect(m_txtEdit, &QLineEdit::textChanged, this, &frmAppt::cleanEditText);
    connect(m_grid, &GridView::scrolled, this, &frmAppt::hideEditBox);
    m_grid->installEventFilter(this);

    connect(m_grid, &GridView::keyPressed, this, [this](QKeyEvent *e) {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            e->accept();
            gridEnter();
        }
    });
    connect(m_grid, &GridView::charTyped, this, &frmAppt::gridChar);
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
    connect(m_check2, &QCheckBox::toggled, this, &frmAppt::setPageLock);

    // Next booking number, at the end of the totals row.
    auto *lblBook = new QLabel(QStringLiteral("Next Booking No."), central);
    lblBook->setFont(arialFont(8, true));
    m_txtBook = new QLineEdit(central);
    m_txtBook->setObjectName(QStringLiteral("txtBook"));
    m_txtBook->setFont(arialFont(9, true));
    m_txtBook->setFixedWidth(90);
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
        box->setFixedHeight(58);
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
    connect(m_cmdMemo, &QPushButton::clicked, this, &frmAppt::switchMemo);
    memoRow->addWidget(m_cmdMemo, 0, Qt::AlignBottom);
    column->addLayout(memoRow);

    // Colour legend: placed by hand, as the captions' widths decide where each sample goes.
    m_legend = new QWidget(central);
    m_legend->setObjectName(QStringLiteral("fraLegend"));
    m_legend->setAccessibleName(QStringLiteral("Colour legend"));
    m_legend->setFixedHeight(22);
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
        m_image1.append(img);
        m_label1.append(cap);
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
        p.setColor(QPalette::Window, ColorFromNumber(FixedCellColor));
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
            if (m_printChoice[i]->isChecked() && m_print)
                m_print(*this, PrintChoice(i));
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
    key(Qt::Key_Delete, [this] { m_page->DeleteCell(); });
}

void frmAppt::buildToolbar()
{
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setFocusPolicy(Qt::NoFocus);
    for (const ToolKey &t : ToolKeys) {
        const QString key = QLatin1String(t.key);
        if (key.isEmpty()) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction *a = m_toolBar->addAction(toolIcon(key), QLatin1String(t.tip));
        a->setObjectName(key);
        a->setData(key);
        connect(a, &QAction::triggered, this, [this, key] { toolbarButton(key); });
    }
    // Clicking a button leaves the focus where it was: Cut and Paste act on the box being typed in.
    for (QAction *a : m_toolBar->actions())
        if (QWidget *w = m_toolBar->widgetForAction(a))
            w->setFocusPolicy(Qt::NoFocus);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

QAction *frmAppt::toolbarAction(const QString &key) const
{
    for (QAction *a : m_toolBar->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

void frmAppt::buildEditMenus()
{
    m_mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    QAction *cut = m_mnuEdit->addAction(QStringLiteral("Cu&t"), this, &frmAppt::editCut);
    cut->setObjectName(QStringLiteral("mnuCut"));
    cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction *copy = m_mnuEdit->addAction(QStringLiteral("&Copy"), this, &frmAppt::editCopy);
    copy->setObjectName(QStringLiteral("mnuCopy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction *paste = m_mnuEdit->addAction(QStringLiteral("&Paste"), this, &frmAppt::editPaste);
    paste->setObjectName(QStringLiteral("mnuPaste"));
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    m_mnuEdit->addAction(QStringLiteral("&Delete"), this, &frmAppt::editDelete)->setObjectName(QStringLiteral("mnuDelete"));
}

// ---- grid keys and mouse ----

void frmAppt::gridEnter()
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
        // One booking at a time: the booking window works on the cell of the Booking values.
        closeOpenedWindows();
        switch (m_page->EnterSlot(r, c)) {
        case DayPage::SlotEnter::NotSlot:
        case DayPage::SlotEnter::Lunch:
            return;
        case DayPage::SlotEnter::Engaged:
            focusGrid();
            return;
        case DayPage::SlotEnter::Claimed:
        case DayPage::SlotEnter::Booked:
            break;
        }
        const QPoint at = m_grid->mapTo(this, QPoint(0, 0));
        m_state.booking().BookingFormTop = int(PixelsToTwips(at.y())) + 600;
        m_state.booking().BookingFormLeft = int(PixelsToTwips(at.x())) + 2000;
        if (m_openBooking)
            m_bookingWindow = m_openBooking(*this);
    } catch (const AppError &) {
        // Key handling in the grid ends quietly; Enter can simply be pressed again.
    }
}

void frmAppt::gridChar(QChar ch)
{
    if (ch == QLatin1Char('\r') || ch == QLatin1Char('\t'))
        return; // Enter and Tab have their own handling
    if (!ch.isPrint() && ch != QLatin1Char('\b'))
        return;
    if (m_page->model().isTypedRow(m_page->grid().row()))
        openEditBox(QString(ch));
}

void frmAppt::openEditBox(const QString &typed)
{
    GridModel &g = m_page->grid();
    const int r = g.row();
    const int c = g.col();
    if (!m_page->model().isTypedRow(r) || !m_page->model().isTechColumn(c))
        return;
    m_grid->showCell(r, c);
    QRect rect = m_grid->cellRect(r, c);
    if (rect.isEmpty())
        return;
    m_editRow = r;
    m_editCol = c;
    rect.moveTopLeft(m_grid->mapTo(m_txtEdit->parentWidget(), rect.topLeft()));
    m_txtEdit->setGeometry(rect);
    m_txtEdit->setReadOnly(m_check2->isChecked());
    m_txtEdit->setText(g.text(r, c));
    m_txtEdit->show();
    m_txtEdit->raise();
    m_txtEdit->setFocus();
    if (typed.isEmpty()) {
        m_txtEdit->end(false);
        return;
    }
    // The key becomes the first keystroke typed into the box, replacing what the cell held.
    m_txtEdit->selectAll();
    const bool back = typed == QLatin1String("\b");
    QKeyEvent key(QEvent::KeyPress, back ? Qt::Key_Backspace : Qt::Key_unknown, Qt::NoModifier,
                  back ? QString() : typed);
    QCoreApplication::sendEvent(m_txtEdit, &key);
}

void frmAppt::commitEdit()
{
    if (!m_txtEdit->isVisible())
        return;
    m_page->SaveCellContent(m_editRow, m_editCol, m_txtEdit->text());
    hideEditBox();
    focusGrid();
}

void frmAppt::hideEditBox()
{
    if (!m_txtEdit || !m_txtEdit->isVisible())
        return;
    const bool hadFocus = m_txtEdit->hasFocus();
    m_txtEdit->hide();
    if (hadFocus)
        m_grid->setFocus();
}

// Whatever way text reaches the box (typing, pasting, dropping), no separator of the stored page
// text and no brace stays in it.
void frmAppt::cleanEditText()
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

void frmAppt::setPageLock(bool on) { m_txtEdit->setReadOnly(on); }

void frmAppt::gridLeftPressed()
{
    closeOpenedWindows();
    GridModel &g = m_page->grid();
    const int r = g.row();
    const int c = g.col();
    const int top = g.topRow();
    // The day selected in the calendar is opened, which reads the page again; the page stays
    // scrolled where it was clicked.
    openSelectedDay();
    g.setCurrentCell(r, c);
    g.setTopRow(top);
    m_page->RefreshGrid();
    if (calendarShown())
        ToggleCalendar();
    focusGrid();
}

void frmAppt::gridRightReleased(const QPoint &pos)
{
    int r = -1;
    int c = -1;
    if (!m_grid->cellAt(pos, &r, &c) || !m_page->model().isTechColumn(c))
        return;
    // An open booking window stores into the cell of the Booking values: they stay its own.
    if (!m_bookingWindow) {
        m_state.booking().BookingCol = c;
        m_state.booking().BookingRow = r;
    }
    const QPoint gridAt = m_grid->mapTo(this, QPoint(0, 0));
    const QRect cell = m_grid->cellRect(r, c);
    const int left = int(PixelsToTwips(cell.left()));
    m_state.booking().BookingFormTop = int(PixelsToTwips(gridAt.y())) + 650;
    m_state.booking().BookingFormLeft = int(PixelsToTwips(gridAt.x())) +
                              (left > 6000 ? left - SkillViewerWidth : int(PixelsToTwips(cell.right() + 1)));
    if (m_skillViewer)
        m_skillViewer->close();
    if (m_openSkillViewer)
        m_skillViewer = m_openSkillViewer(*this, c);
}

void frmAppt::closeOpenedWindows()
{
    if (m_skillViewer)
        m_skillViewer->close();
    if (m_bookingWindow && m_closeBooking)
        m_closeBooking(m_bookingWindow);
    else if (m_bookingWindow)
        m_bookingWindow->close();
}

// ---- Edit commands ----

QWidget *frmAppt::focusedTextBox() const
{
    QWidget *f = focusWidget();
    if (qobject_cast<QLineEdit *>(f) || qobject_cast<QPlainTextEdit *>(f))
        return f;
    return nullptr;
}

void frmAppt::editCopy()
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

void frmAppt::editDelete()
{
    deleteSelection(focusedTextBox());
    m_page->SaveGridData();
}

void frmAppt::editCut()
{
    editCopy();
    deleteSelection(focusedTextBox());
    m_page->SaveGridData();
}

void frmAppt::editPaste()
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
    m_page->SaveGridData();
}

// ---- memos and booking number ----

void frmAppt::switchMemo()
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

void frmAppt::showPageMemo()
{
    const PageRecord &page = m_page->record();
    // A memo typed but not yet stored belongs to the page it was typed on; one that cannot be
    // stored stays in the box.
    if (m_txtMemo->document()->isModified() && (!storeDailyMemo() || m_memoPageId == page.id))
        return;
    m_txtMemo->setPlainText(page.memo);
    m_txtMemo->document()->setModified(false);
    m_memoPageId = page.id;
}

// The fixed memo and the next booking number as the window loads.
void frmAppt::showOfficeTexts()
{
    try {
        m_txtFixedMemo->setPlainText(m_page->store().fixedMemo());
        m_txtFixedMemo->document()->setModified(false);
        m_txtBook->setText(m_page->store().bookNo());
        m_txtBook->setModified(false);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("txtBook"));
    }
}

void frmAppt::memosRead(const QString &fixedMemo, const QString &dailyMemo)
{
    // A box being typed into keeps its text; it is stored when it loses the focus.
    if (!m_txtFixedMemo->document()->isModified()) {
        m_txtFixedMemo->setPlainText(fixedMemo);
        m_txtFixedMemo->document()->setModified(false);
    }
    const bool typed = m_txtMemo->document()->isModified();
    if (!typed || (m_memoPageId != m_page->record().id && storeDailyMemo())) {
        m_txtMemo->setPlainText(dailyMemo);
        m_txtMemo->document()->setModified(false);
        m_memoPageId = m_page->record().id;
    }
}

bool frmAppt::storeDailyMemo()
{
    if (!m_txtMemo->document()->isModified() || !m_memoPageId)
        return true;
    try {
        m_page->store().saveMemo(m_memoPageId, m_txtMemo->toPlainText());
        m_txtMemo->document()->setModified(false);
        return true;
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Text Memo"));
        return false;
    }
}

bool frmAppt::storeFixedMemo()
{
    if (!m_txtFixedMemo->document()->isModified())
        return true;
    try {
        m_page->store().saveFixedMemo(m_txtFixedMemo->toPlainText());
        m_txtFixedMemo->document()->setModified(false);
        return true;
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Fixed Memo"));
        return false;
    }
}

bool frmAppt::storeBookNo()
{
    if (!m_txtBook->isModified())
        return true;
    try {
        m_page->store().saveBookNo(m_txtBook->text());
        m_txtBook->setModified(false);
        return true;
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("txtBook"));
        return false;
    }
}

void frmAppt::storeEditedTexts()
{
    storeDailyMemo();
    storeFixedMemo();
    storeBookNo();
}

// Getting the focus shows what is stored now, so a memo changed at another station is seen.
void frmAppt::memoFocusIn(QWidget *box)
{
    try {
        if (box == m_txtMemo) {
            setBoxColour(m_txtMemo, FreeSlotColor);
            if (!m_txtMemo->document()->isModified() && m_page->hasPage()) {
                m_txtMemo->setPlainText(m_page->store().memo(m_page->record().id));
                m_txtMemo->document()->setModified(false);
                m_memoPageId = m_page->record().id;
            }
        } else if (box == m_txtFixedMemo) {
            setBoxColour(m_txtFixedMemo, FreeSlotColor);
            if (!m_txtFixedMemo->document()->isModified()) {
                m_txtFixedMemo->setPlainText(m_page->store().fixedMemo());
                m_txtFixedMemo->document()->setModified(false);
            }
        } else if (box == m_txtBook) {
            setBoxColour(m_txtBook, FreeSlotColor);
            if (!m_txtBook->isModified())
                m_txtBook->setText(m_page->store().bookNo());
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

void frmAppt::memoFocusOut(QWidget *box)
{
    if (box == m_txtMemo) {
        storeDailyMemo();
        setBoxColour(m_txtMemo, QBColor(7));
    } else if (box == m_txtFixedMemo) {
        storeFixedMemo();
        setBoxColour(m_txtFixedMemo, QBColor(7));
    } else if (box == m_txtBook) {
        storeBookNo();
        setBoxColour(m_txtBook, NumberFromColor(palette().color(QPalette::Window)));
    }
}

bool frmAppt::editingEvent(QObject *watched, QEvent *event)
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
    const bool textBox = watched == m_txtEdit || watched == m_txtMemo || watched == m_txtFixedMemo ||
                         watched == m_txtBook;
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
    default:
        return false;
    }
}

// ---- legend, help, print, toolbar ----

void frmAppt::fillLegend()
{
    QStringList current;
    for (QLabel *l : m_label1)
        current.append(l->text());
    QString list;
    try {
        list = m_page->store().labelColors();
    } catch (const AppError &) {
        return; // the captions stay; the page's own reading reports the database
    }
    const QStringList captions = Legend::captions(current, list);
    for (int i = 0; i < m_label1.size(); ++i) {
        m_label1.at(i)->setText(captions.at(i));
        m_image1.at(i)->setAccessibleName(captions.at(i));
    }
    placeLegend();
}

void frmAppt::placeLegend()
{
    QVector<int> widths;
    for (QLabel *l : m_label1) {
        l->adjustSize();
        widths.append(int(PixelsToTwips(l->width())));
    }
    const QVector<Legend::Place> places = Legend::layout(widths);
    const int h = m_legend->height();
    for (int i = 0; i < places.size(); ++i) {
        m_image1.at(i)->move(TwipsToPixels(places.at(i).swatch), (h - 16) / 2);
        m_label1.at(i)->move(TwipsToPixels(places.at(i).caption), (h - m_label1.at(i)->height()) / 2);
    }
}

void frmAppt::showHelp()
{
    try {
        auto *help = new frmHelp(m_state, this);
        help->show();
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Help"));
    }
}

void frmAppt::setPrintHandler(PrintHandler print)
{
    m_print = std::move(print);
    m_cmdPrint->setEnabled(bool(m_print));
}

void frmAppt::showPrintOptions()
{
    m_state.layout().SavedRow = m_page->grid().row();
    m_state.layout().SavedCol = m_page->grid().col();
    const QRect g = m_grid->geometry();
    m_printPanel->move(g.x() + (g.width() - m_printPanel->width()) / 2, g.y() + (g.height() - m_printPanel->height()) / 3);
    m_printPanel->show();
    m_printPanel->raise();
    m_printChoice[2]->setChecked(true);
    m_printChoice[2]->setFocus();
}

void frmAppt::openInfoDoc()
{
    OpenDocument(*m_state.dialogs(), QDir(m_state.paths().ServerFolder()).filePath(QStringLiteral("Info.doc")), m_state.paths().programFolder());
}

void frmAppt::toolbarButton(const QString &key)
{
    // Failures inside a button's step are passed over; each routine reports its own.
    try {
        if (spanSlotKeys().contains(key)) {
            m_state.span().SpanSlots = spanSlotKeys().value(key);
            m_state.span().SpanSlotsChosen = true;
            m_page->SetCellColor();
        } else if (spanColorKeys().contains(key)) {
            m_state.span().SpanColor = int(spanColorKeys().value(key));
            m_state.span().SpanColorChosen = true;
            m_page->SetCellColor();
        } else if (key == QLatin1String("Magenta")) {
            m_page->PaintCell(MagentaColor);
        } else if (key == QLatin1String("Refresh")) {
            m_page->RefreshGrid();
        } else if (key == QLatin1String("Calendar")) {
            ToggleCalendar();
        } else if (key == QLatin1String("xls")) {
            openInfoDoc();
        } else if (key == QLatin1String("Open")) {
            openTypedDate();
        } else if (key == QLatin1String("Print")) {
            showPrintOptions();
        } else if (key == QLatin1String("Cut")) {
            editCut();
        } else if (key == QLatin1String("Copy")) {
            editCopy();
        } else if (key == QLatin1String("Paste")) {
            editPaste();
        } else if (key == QLatin1String("Delete")) {
            editDelete();
        } else if (key == QLatin1String("Search")) {
            searchName();
        } else if (key == QLatin1String("Help")) {
            showHelp();
        } else if (key == QLatin1String("Key")) {
            m_check2->toggle();
            if (m_txtEdit->isVisible())
                m_txtEdit->setFocus();
        }
    } catch (const AppError &) {
    }
}
