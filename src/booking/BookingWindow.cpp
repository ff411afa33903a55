#include "booking/BookingWindow.h"

#include "booking/BookingDesk.h"
#include "booking/BookingFlow.h"
#include "booking/BookingTimes.h"
#include "booking/CustomerCompleter.h"
#include "booking/PicklistWindow.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "core/Station.h"
#include "core/Twips.h"
#include "daypage/DayPageWindow.h"
#include "daypage/PageText.h"
#include "store/Database.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

using namespace BookingEntry;

namespace {
const QStringList HalfHours = {"08:00", "08:30", "09:00", "09:30", "10:00", "10:30", "11:00",
                               "11:30", "12:00", "12:30", "01:00", "01:30", "02:00", "02:30",
                               "03:00", "03:30", "04:00", "04:30", "05:00", "05:30", "06:00"};
const QStringList Payments = {"Credit Card", "Cash", "Check", "Warranty", "Charge", "--", "--", "--"};

// Edits of these set RecordChanged, so nothing typed is closed away without the save question.
constexpr Id Tracked[] = {Name,  Phone, Address, City,  Prov,      PostCode,  Vehicle, Make,   Mainten, Menu1,
                          Menu2, Menu3, Menu4,   Menu5, Internal1, Internal2, Other1,  Other2, TTime};

QIcon swatch(int color)
{
    QPixmap pm(16, 16);
    pm.fill(colorFromNumber(color));
    QPainter p(&pm);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, 15, 15);
    return QIcon(pm);
}
} // namespace

BookingWindow::BookingWindow(AppState &state, BookingPage &page, BookingDesk &desk, const BookingCell &cell,
                             QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_page(page), m_desk(desk), m_cell(cell)
{
    setObjectName(QStringLiteral("frmBooking"));
    setWindowTitle(QStringLiteral("Booking Record"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
}

BookingWindow::~BookingWindow() = default;

void BookingWindow::buildControls()
{
    auto makeEdit = [this](Id id, const QString &accessible) {
        auto *e = new QLineEdit(this);
        e->setObjectName(controlName(id));
        e->setAccessibleName(accessible);
        m_edits[id] = e;
        return e;
    };
    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        buddy->setAccessibleName(QString(text).remove(QLatin1Char('*')).remove(QLatin1Char(':')).simplified());
        return l;
    };
    auto combo = [this](const QString &name, const QStringList &items) {
        auto *c = new QComboBox(this);
        c->setObjectName(name);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->addItems(items);
        c->setCurrentIndex(-1);
        c->setEditText(QString());
        return c;
    };

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(8, 4, 8, 8);
    root->setSpacing(6);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(16, 16));
    for (const auto &b : BookingTimes::ColorButtons) {
        const QString caption = QString::fromLatin1(b.caption);
        QAction *a = m_toolBar->addAction(swatch(b.color), caption);
        a->setObjectName(QString(caption).remove(QLatin1Char(' ')));
        const int color = b.color;
        connect(a, &QAction::triggered, this, [this, color] {
            if (m_flow && m_flow->colorButton(color))
                paint();
        });
    }
    m_toolBar->addSeparator();
    QAction *print =
        m_toolBar->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("Print"));
    connect(print, &QAction::triggered, this, &BookingWindow::printImage);
    root->addWidget(m_toolBar);

    // What is being booked: the date, the technician and the time.
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.15);
    m_heading->setFont(headingFont);
    // The customer's earlier bookings, offered where the form says what is being booked.
    auto *cmdHistory = new QPushButton(QStringLiteral("History..."), this);
    cmdHistory->setObjectName(QStringLiteral("cmdHistory"));
    cmdHistory->setToolTip(QStringLiteral("The bookings of the customer shown (Ctrl+H)"));
    cmdHistory->setFocusPolicy(Qt::NoFocus); // out of the Tab order the front desk counts on
    cmdHistory->setVisible(qobject_cast<DayPageWindow *>(parentWidget()) != nullptr);
    connect(cmdHistory, &QPushButton::clicked, this, &BookingWindow::openHistory);
    auto *history = new QAction(this);
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WindowShortcut);
    connect(history, &QAction::triggered, this, &BookingWindow::openHistory);
    addAction(history);
    auto *head = new QHBoxLayout;
    head->addWidget(m_heading, 1);
    head->addWidget(cmdHistory);
    root->addLayout(head);

    // Two columns, so the whole form fits a screen 720 pixels high: who, what car, when and
    // notes on the left, the jobs on the right.
    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    columns->addLayout(left, 3);
    root->addLayout(columns, 1);

    // Customer: who and where.
    auto *customer = new QGroupBox(QStringLiteral("Customer"), this);
    auto *cg = new QGridLayout(customer);
    cg->addWidget(label(QStringLiteral("*Name:"), makeEdit(Name, {})), 0, 0);
    cg->addWidget(m_edits[Name], 0, 1, 1, 3);
    cg->addWidget(label(QStringLiteral("Phone:"), makeEdit(Phone, {})), 0, 4);
    cg->addWidget(m_edits[Phone], 0, 5);
    cg->addWidget(label(QStringLiteral("Address:"), makeEdit(Address, {})), 1, 0);
    cg->addWidget(m_edits[Address], 1, 1, 1, 5);
    cg->addWidget(label(QStringLiteral("City:"), makeEdit(City, {})), 2, 0);
    cg->addWidget(m_edits[City], 2, 1);
    cg->addWidget(label(QStringLiteral("Prov:"), makeEdit(Prov, {})), 2, 2);
    cg->addWidget(m_edits[Prov], 2, 3);
    cg->addWidget(label(QStringLiteral("Post Code:"), makeEdit(PostCode, {})), 2, 4);
    cg->addWidget(m_edits[PostCode], 2, 5);
    cg->setColumnStretch(1, 3);
    cg->setColumnStretch(3, 1);
    cg->setColumnStretch(5, 2);
    left->addWidget(customer);

    // Vehicle.
    auto *vehicle = new QGroupBox(QStringLiteral("Vehicle"), this);
    auto *vg = new QGridLayout(vehicle);
    vg->addWidget(label(QStringLiteral("Year:"), makeEdit(Vehicle, {})), 0, 0);
    vg->addWidget(m_edits[Vehicle], 0, 1);
    vg->addWidget(label(QStringLiteral("Make:"), makeEdit(Make, {})), 0, 2);
    vg->addWidget(m_edits[Make], 0, 3);
    vg->setColumnStretch(1, 1);
    vg->setColumnStretch(3, 2);
    left->addWidget(vehicle);

    // Jobs, each with its hours beside it, and the total under the hours.
    auto *jobs = new QGroupBox(QStringLiteral("Jobs"), this);
    auto *jg = new QGridLayout(jobs);
    jg->setVerticalSpacing(3);
    auto *hours = new QLabel(QStringLiteral("Hours"), jobs);
    hours->setAlignment(Qt::AlignCenter);
    jg->addWidget(hours, 0, 2);
    const struct {
        Id job;
        const char *label;
        const char *accessible;
    } rows[] = {{Mainten, "Maintenance:", "Maintenance"},
                {Menu1, "Menu  Items:", "Menu item 1"},
                {Menu2, nullptr, "Menu item 2"},
                {Menu3, nullptr, "Menu item 3"},
                {Menu4, nullptr, "Menu item 4"},
                {Menu5, nullptr, "Menu item 5"},
                {Internal1, "Internal Items:", "Internal item 1"},
                {Internal2, nullptr, "Internal item 2"},
                {Other1, "Other Items:", "Other item 1"},
                {Other2, nullptr, "Other item 2"}};
    const QRegularExpressionValidator *noPercent =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^%]*")), this);
    for (int i = 0; i < BookingEntry::JobTimes; ++i) {
        QLineEdit *job = makeEdit(rows[i].job, QString::fromLatin1(rows[i].accessible));
        if (rows[i].label) {
            auto *l = new QLabel(QString::fromLatin1(rows[i].label), jobs);
            l->setBuddy(job);
            jg->addWidget(l, i + 1, 0);
        }
        jg->addWidget(job, i + 1, 1);
        QLineEdit *t = makeEdit(time(i), QString::fromLatin1(rows[i].accessible) + QStringLiteral(" hours"));
        // A "%" would split the stored job times and move every later one.
        t->setValidator(noPercent);
        t->setAlignment(Qt::AlignRight);
        t->setFixedWidth(60);
        jg->addWidget(t, i + 1, 2);
    }
    QLineEdit *total = makeEdit(TTime, {});
    total->setAlignment(Qt::AlignRight);
    total->setFixedWidth(60);
    auto *totalLabel = label(QStringLiteral("*Total Time:"), total);
    totalLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    jg->addWidget(totalLabel, BookingEntry::JobTimes + 1, 1);
    jg->addWidget(total, BookingEntry::JobTimes + 1, 2);
    jg->setColumnStretch(1, 1);
    jg->setRowStretch(BookingEntry::JobTimes + 2, 1);
    columns->addWidget(jobs, 2);
    // The captions of the spare job boxes are hints in grey, never stored as jobs.
    for (int i = 0; i < Count; ++i)
        if (m_edits[i])
            m_edits[i]->setPlaceholderText(BookingFlow::placeholder(Id(i)));

    // When the car comes and goes, and how it is paid.
    auto *when = new QGroupBox(QStringLiteral("Times and payment"), this);
    auto *wg = new QHBoxLayout(when);
    m_drop = combo(QStringLiteral("cboDTime"), HalfHours);
    m_prom = combo(QStringLiteral("cboPTIme"), HalfHours);
    m_pay = combo(QStringLiteral("cboPay"), Payments);
    wg->addWidget(label(QStringLiteral("Drop/off:"), m_drop));
    wg->addWidget(m_drop, 1);
    wg->addSpacing(12);
    wg->addWidget(label(QStringLiteral("Prom:"), m_prom));
    wg->addWidget(m_prom, 1);
    wg->addSpacing(12);
    wg->addWidget(label(QStringLiteral("Pay:"), m_pay));
    wg->addWidget(m_pay, 2);
    left->addWidget(when);

    m_comments = new QPlainTextEdit(this);
    m_comments->setObjectName(QStringLiteral("txtComments"));
    m_comments->setTabChangesFocus(true);
    m_comments->setMinimumHeight(48);
    left->addWidget(label(QStringLiteral("Comments:"), m_comments));
    left->addWidget(m_comments, 1);

    auto *buttons = new QHBoxLayout;
    const struct {
        const char *name;
        const char *caption;
        void (BookingWindow::*slot)();
    } commands[] = {{"cmdSave", "Save", &BookingWindow::cmdSave},
                    {"cmdCopy", "Copy", &BookingWindow::cmdCopy},
                    {"cmdCut", "Cut", &BookingWindow::cmdCut},
                    {"cmdPaste", "Paste", &BookingWindow::cmdPaste},
                    {"cmdDelete", "Delete", &BookingWindow::cmdDelete}};
    for (const auto &c : commands) {
        auto *b = new QPushButton(QString::fromLatin1(c.caption), this);
        b->setObjectName(QString::fromLatin1(c.name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, c.slot);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);

    // Tab order of a quick booking first: who, which car, the job and its time, when, a word,
    // Save; then the address, the further jobs and the rest.
    QWidget *save = findChild<QPushButton *>(QStringLiteral("cmdSave"));
    QList<QWidget *> order;
    for (Id id : {Name, Phone, Vehicle, Make, Mainten, Time0})
        order << m_edits[id];
    order << m_drop << m_prom << m_comments << save;
    for (Id id : {Address, City,  Prov,      PostCode, Menu1,     Time1, Menu2,  Time2, Menu3,  Time3, Menu4, Time4,
                  Menu5,   Time5, Internal1, Time6,    Internal2, Time7, Other1, Time8, Other2, Time9, TTime})
        order << m_edits[id];
    order << m_pay;
    for (const char *name : {"cmdCopy", "cmdCut", "cmdPaste", "cmdDelete"})
        order << findChild<QPushButton *>(QLatin1String(name));
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Save from any field.
    for (const QKeySequence &keys : {QKeySequence(Qt::ALT | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_S)}) {
        auto *a = new QAction(this);
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [this] {
            totalTime(); // a job time typed last counts, as leaving its box would
            cmdSave();
        });
        addAction(a);
    }

    // Pasted tabs and line breaks would be stored in the record while its cell shows blanks.
    for (QLineEdit *e : findChildren<QLineEdit *>())
        connect(e, &QLineEdit::textChanged, e, [e](const QString &text) {
            const QString clean = PageText::pastedCellText(text);
            if (clean == text)
                return;
            const int cursor = qMin(e->cursorPosition(), int(clean.size()));
            e->setText(clean);
            e->setCursorPosition(cursor);
        });

    // Flags of the opening.
    for (Id id : Tracked)
        connect(m_edits[id], &QLineEdit::textChanged, this, [this] {
            if (m_flow)
                m_flow->recordEdited();
        });
    for (int i = 0; i < BookingEntry::JobTimes; ++i)
        connect(m_edits[time(i)], &QLineEdit::textChanged, this, [this] {
            if (m_flow)
                m_flow->recordEdited();
        });
    connect(m_comments, &QPlainTextEdit::textChanged, this, [this] {
        if (m_flow)
            m_flow->recordEdited();
    });
    connect(m_edits[TTime], &QLineEdit::textChanged, this, [this] {
        if (m_flow)
            m_flow->timeEdited();
    });
    // Typing into a list sets it; choosing from its drop-down does not.
    for (QComboBox *c : {m_drop, m_prom, m_pay})
        connect(c->lineEdit(), &QLineEdit::textEdited, this, [this] {
            if (m_flow)
                m_flow->recordEdited();
        });

    // The form sees every key and press before its controls.
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

bool BookingWindow::load()
{
    // The record goes through the page's connection, so a save commits it with the page.
    m_flow = std::make_unique<BookingFlow>(m_state, m_page, m_desk, m_cell);
    // Earlier customers offered while the name or phone is typed, read through the page's
    // connection.
    m_customers = new CustomerCompleter(
        m_page.database(), m_edits[Name], m_edits[Phone], [this](const CustomerStore::Customer &c) { fillCustomer(c); },
        this);
    QPoint at(twipsToPixels(m_cell.at.x()), twipsToPixels(m_cell.at.y()));
    if (parentWidget())
        at = parentWidget()->mapToGlobal(at);
    placeOnScreen(at);
    showHeading();

    setUpdatesEnabled(false);
    const bool opened = m_flow->open();
    if (opened)
        fillBooking();
    setUpdatesEnabled(true);
    if (!opened) {
        finish();
        return false;
    }
    m_flow->clearEdits();
    // A slot found for so many hours starts its new booking with that job time, counted and
    // shaded on Save like one typed.
    if (m_flow->newRecord() && m_cell.hours > 0) {
        setEntry(time(0), numberText(m_cell.hours));
        totalTime();
    }
    return true;
}

void BookingWindow::fillCustomer(const CustomerStore::Customer &c)
{
    const std::pair<Id, QString> fields[] = {{Name, c.name},       {Phone, c.phone}, {Address, c.address},
                                             {City, c.city},       {Prov, c.prov},   {PostCode, c.postCode},
                                             {Vehicle, c.vehicle}, {Make, c.make}};
    for (const auto &[id, text] : fields)
        setEntry(id, text);
    // Nothing is saved until Save; the job is what comes next.
    m_edits[Mainten]->setFocus(Qt::OtherFocusReason);
}

void BookingWindow::fillBooking()
{
    const BookingValues v = m_flow->fill();
    for (int i = 0; i < Count; ++i)
        if (v[i])
            setEntry(Id(i), *v[i]);
    paint();
}

void BookingWindow::placeOnScreen(QPoint at)
{
    // Asked for beside the page's cell, but never with part of the form off the screen.
    const QScreen *s = parentWidget() ? parentWidget()->screen() : screen();
    if (!s) {
        move(at);
        return;
    }
    const QRect avail = s->availableGeometry();
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.height() <= 0) // not yet shown: allow for the window manager's title bar
        frame = QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    const QSize room = avail.size() - frame;
    resize(sizeHint().expandedTo(minimumSizeHint()).boundedTo(room));
    const QSize outer = size() + frame;
    at.setX(qBound(avail.left(), at.x(), avail.right() + 1 - outer.width()));
    at.setY(qBound(avail.top(), at.y(), avail.bottom() + 1 - outer.height()));
    move(at);
}

void BookingWindow::openHistory()
{
    auto *page = qobject_cast<DayPageWindow *>(parentWidget());
    if (!page)
        return;
    const QString name = entry(Name).trimmed();
    page->openCustomerHistory(name.isEmpty() ? entry(Phone) : name);
}

void BookingWindow::showHeading()
{
    QStringList parts{m_cell.date.toString(QStringLiteral("dddd d MMMM yyyy"))};
    const QString tech = m_state.layout().techNames.value(m_cell.col).trimmed();
    if (!tech.isEmpty())
        parts << tech;
    const QString time = m_page.text(m_cell.row, 0).trimmed();
    if (!time.isEmpty())
        parts << time;
    m_heading->setText(parts.join(QStringLiteral("   \u2022   ")));
}

QString BookingWindow::entry(Id id) const
{
    switch (id) {
    case Drop: return m_drop->currentText();
    case Prom: return m_prom->currentText();
    case Pay: return m_pay->currentText();
    case Comments: return m_comments->toPlainText();
    default: return m_edits[id]->text();
    }
}

void BookingWindow::setEntry(Id id, const QString &text)
{
    QComboBox *list = id == Drop ? m_drop : id == Prom ? m_prom : id == Pay ? m_pay : nullptr;
    if (list) {
        // A change of a list's text by the program counts as an edit, like typing.
        if (list->currentText() != text) {
            list->setEditText(text);
            if (m_flow)
                m_flow->recordEdited();
        }
    } else if (id == Comments) {
        if (m_comments->toPlainText() != text)
            m_comments->setPlainText(text);
    } else {
        m_edits[id]->setText(text);
    }
}

BookingEntries BookingWindow::entries() const
{
    BookingEntries e;
    for (int i = 0; i < Count; ++i)
        e[i] = entry(Id(i));
    return e;
}

void BookingWindow::setEntries(const BookingEntries &e)
{
    for (int i = 0; i < Count; ++i)
        setEntry(Id(i), e[i]);
}

void BookingWindow::paint()
{
    const QColor c = colorFromNumber(m_flow->cell().color);
    auto tint = [&c](QWidget *w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, c);
        w->setPalette(p);
    };
    for (QLineEdit *e : m_edits)
        if (e)
            tint(e);
    tint(m_comments);
    for (QComboBox *list : {m_drop, m_prom, m_pay}) {
        tint(list);
        tint(list->lineEdit());
    }
}

void BookingWindow::activated()
{
    if (!m_flow)
        return;
    m_flow->activate();
    paint();
    const bool locked = m_page.pageLocked();
    for (QLineEdit *e : m_edits)
        if (e)
            e->setReadOnly(locked);
    m_comments->setReadOnly(locked);
}

void BookingWindow::totalTime() { setEntry(TTime, BookingFlow::totalTime(entries())); }

void BookingWindow::shadeCells()
{
    if (m_flow && m_flow->shadecells())
        paint();
}

void BookingWindow::applyPick(const Picklist::Pick &pick)
{
    for (const Picklist::Write &w : pick.writes)
        setEntry(w.entry, w.text);
    if (pick.total)
        totalTime();
}

void BookingWindow::act(int outcome)
{
    switch (BookingFlow::Outcome(outcome)) {
    case BookingFlow::Outcome::StayOpen: break;
    case BookingFlow::Outcome::NameMissing: m_edits[Name]->setFocus(); break;
    case BookingFlow::Outcome::Closed: finish(); break;
    case BookingFlow::Outcome::Reloaded:
        setEntries(m_flow->loadedForm());
        paint();
        m_flow->clearEdits();
        break;
    }
}

void BookingWindow::cmdSave()
{
    if (m_flow)
        act(int(m_flow->saveCommand(entries())));
}

void BookingWindow::cmdCopy()
{
    if (m_flow)
        m_flow->copy(entries());
}

void BookingWindow::cmdCut()
{
    if (m_flow)
        act(int(m_flow->cut(entries())));
}

void BookingWindow::cmdPaste()
{
    if (m_flow)
        setEntries(m_flow->paste());
}

void BookingWindow::cmdDelete()
{
    if (m_flow)
        act(int(m_flow->deleteCommand(entries())));
}

void BookingWindow::exitForm()
{
    if (m_flow)
        act(int(m_flow->exitForm(entries())));
    else
        finish();
}

void BookingWindow::closeByPage() { exitForm(); }

void BookingWindow::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_flow)
        m_flow->closing(m_edits[Name]->text());
    for (PicklistKind k : {PicklistKind::Mainten, PicklistKind::Vehicle, PicklistKind::Make})
        m_desk.picklists().unload(k);
    m_programClose = true;
    if (!m_inCloseEvent)
        close();
    emit finished();
}

void BookingWindow::showPicklist(PicklistKind kind) { m_desk.picklists().show(m_state, kind, this); }

std::optional<PicklistKind> BookingWindow::picklistOf(const QObject *field)
{
    static const QHash<QString, PicklistKind> picks = {
        {"txtMainten", PicklistKind::Mainten},    {"txtMenu1", PicklistKind::MenuItems},
        {"txtMenu2", PicklistKind::MenuItems},    {"txtMenu3", PicklistKind::MenuItems},
        {"txtMenu4", PicklistKind::MenuItems},    {"txtMenu5", PicklistKind::MenuItems},
        {"txtInternal1", PicklistKind::Internal}, {"txtInternal2", PicklistKind::Internal},
        {"txtVehicle", PicklistKind::Vehicle},    {"txtMake", PicklistKind::Make},
        {"txtCity", PicklistKind::Address},       {"txtProv", PicklistKind::Address}};
    const auto it = picks.constFind(field->objectName());
    if (it == picks.constEnd())
        return std::nullopt;
    return it.value();
}

void BookingWindow::printImage()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        m_state.dialogs()->info(QStringLiteral("No default printer is installed."), QStringLiteral("Print"));
        return;
    }
    QPrinter printer(info);
    const QPixmap image = grab();
    QPainter p;
    if (!p.begin(&printer)) {
        m_state.dialogs()->info(QStringLiteral("The booking record could not be sent to the printer."),
                                QStringLiteral("Print"));
        return;
    }
    const QRect page = p.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    p.drawPixmap(QRect(page.topLeft(), size.boundedTo(image.size() * 4)), image);
    p.end();
}

bool BookingWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            exitForm();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QWidget *focus = QApplication::focusWidget();
            if (focus == m_comments || focus == m_comments->viewport())
                return false;
            if (auto *b = qobject_cast<QPushButton *>(focus); b && b->parentWidget() == this) {
                b->click();
                return true;
            }
            focusNextChild();
            return true;
        }
        if (key->key() == Qt::Key_Up && watched->objectName() == QLatin1String("cmdSave")) {
            m_comments->setFocus();
            return true;
        }
        // F4 or Alt+Down opens the field's picklist, as a click does.
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier)) {
            if (auto kind = picklistOf(watched)) {
                showPicklist(*kind);
                return true;
            }
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        if (auto kind = picklistOf(watched))
            showPicklist(*kind);
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving a job time or the total puts the sum of the job times into the total.
        for (int i = 0; i < BookingEntry::JobTimes; ++i)
            if (watched == m_edits[time(i)])
                totalTime();
        if (watched == m_edits[TTime])
            totalTime();
    }
    return QWidget::eventFilter(watched, event);
}

void BookingWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activated();
    QWidget::changeEvent(event);
}

void BookingWindow::closeEvent(QCloseEvent *event)
{
    if (m_programClose) {
        event->accept();
        return;
    }
    // The close box is a close request, like Esc.
    m_inCloseEvent = true;
    exitForm();
    m_inCloseEvent = false;
    event->setAccepted(m_finished);
}
