#include "daypage/DayPageWindow.h"

#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DateText.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "core/WindowSwitcher.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QFont arial(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"), points);
    f.setBold(bold);
    return f;
}

void paintBackground(QWidget *w, qint64 colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colorFromNumber(colour));
    p.setColor(QPalette::Base, colorFromNumber(colour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}
} // namespace

DayPageWindow::DayPageWindow(AppState &state, QWidget *parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmAppt"));
    setWindowTitle(QStringLiteral("Day Page"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_page = std::make_unique<DayPage>(m_state);
    m_page->openDatabase(m_state.paths().sharedDbPath());
    m_search = std::make_unique<NameSearch>(m_page->store());

    buildControls();
    buildMenus();
    buildToolbar();
    connect(m_page.get(), &DayPage::filled, this, &DayPageWindow::onFilled);
    connect(m_page.get(), &DayPage::memosRead, this, &DayPageWindow::memosRead);
    connect(m_page.get(), &DayPage::cellTextShown, this, [this](const QString &text) {
        if (m_txtEdit->isVisible())
            m_txtEdit->setText(text);
    });
    connect(m_page.get(), &DayPage::totalsChanged, this, &DayPageWindow::onTotals);
    connect(m_page.get(), &DayPage::focusGrid, this, &DayPageWindow::focusGrid);
    // Other stations' changes to the page shown come in about once a second, the current cell and
    // anything being typed left alone.
    auto *liveRefresh = new QTimer(this);
    liveRefresh->setObjectName(QStringLiteral("tmrRefresh"));
    liveRefresh->setInterval(LiveRefreshMs);
    connect(liveRefresh, &QTimer::timeout, this, &DayPageWindow::pollChanges);
    liveRefresh->start();

    // Coming back to this window from another of the program's windows (not from a message or
    // input box) is an activation, as is its first showing.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *w) {
        if (!w || !windowHandle())
            return;
        if (w == windowHandle()) {
            if (m_backFromOtherWindow) {
                m_backFromOtherWindow = false;
                activatePage();
            }
        } else if (w->type() != Qt::Popup && w->type() != Qt::ToolTip) {
            m_backFromOtherWindow = w->modality() == Qt::NonModal;
        }
    });

    m_page->readLocation();
    fillLists();
    const QDate today = QDate::currentDate();
    rebuildCalendar(today);
    syncLists(today);
    if (!refuseOutOfRange(today, QStringLiteral("cmdToday")))
        m_page->openDate(today);
    showOfficeTexts();

    // Scaled to the screen's width.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        resize(avail.width() * 15 / 16, avail.height() * 7 / 8);
    }
}

DayPageWindow::~DayPageWindow()
{
    // The controls go first, while the page they show and the routines they call still exist.
    disconnect(qApp, nullptr, this, nullptr);
    delete m_bookingWindow;
    delete m_skillViewer;
    delete takeCentralWidget();
}

void DayPageWindow::buildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmApptBody"));
    setCentralWidget(central);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 6, 8, 6);
    outer->setSpacing(6);

    auto *head = new QHBoxLayout;
    m_lblCalDay = new QLabel(central);
    m_lblCalDay->setObjectName(QStringLiteral("lblCalDay"));
    m_lblCalDay->setFont(arial(14, true));
    m_lblCalDate = new QLabel(central);
    m_lblCalDate->setObjectName(QStringLiteral("lblCalDate"));
    m_lblCalDate->setFont(arial(11, true));
    head->addWidget(m_lblCalDay);
    head->addStretch(1);
    head->addWidget(m_lblCalDate);
    outer->addLayout(head);

    auto *middle = new QHBoxLayout;
    middle->setSpacing(8);
    m_grid = new GridView(central);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    m_grid->setAccessibleName(QStringLiteral("Day page"));
    m_grid->setGridModel(&m_page->grid());
    // The technicians share whatever width the window gives the page.
    m_grid->setFillWidth(true);
    middle->addWidget(m_grid, 1);

    m_calendarPanel = new QFrame(central);
    m_calendarPanel->setObjectName(QStringLiteral("fraCalendar"));
    m_calendarPanel->setFrameShape(QFrame::StyledPanel);
    auto *panel = new QVBoxLayout(m_calendarPanel);
    panel->setContentsMargins(6, 6, 6, 6);
    panel->setSpacing(6);

    m_daysFrame = new QFrame(m_calendarPanel);
    m_daysFrame->setObjectName(QStringLiteral("Picture2"));
    m_daysFrame->setAccessibleName(QStringLiteral("Calendar"));
    m_daysFrame->setFocusPolicy(Qt::StrongFocus);
    m_daysFrame->setFrameShape(QFrame::Box);
    paintBackground(m_daysFrame, FreeSlotColor);
    m_daysFrame->installEventFilter(this);
    auto *days = new QGridLayout(m_daysFrame);
    days->setContentsMargins(4, 4, 4, 4);
    days->setHorizontalSpacing(2);
    days->setVerticalSpacing(2);
    static const char *const captions[] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
    for (int c = 0; c < 7; ++c) {
        auto *cap = new QLabel(QLatin1String(captions[c]), m_daysFrame);
        cap->setFont(arial(8, true));
        cap->setAlignment(Qt::AlignCenter);
        days->addWidget(cap, 0, c);
    }
    for (int i = 0; i < CalendarModel::CellCount; ++i) {
        auto *l = new QLabel(m_daysFrame);
        l->setObjectName(QStringLiteral("LblDay_%1").arg(i));
        l->setFont(arial(8, true));
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumSize(26, 17);
        l->installEventFilter(this);
        days->addWidget(l, 1 + i / 7, i % 7);
        m_lblDay.append(l);
    }
    panel->addWidget(m_daysFrame);

    auto addCombo = [&](int index, const QString &label, QHBoxLayout *row) {
        auto *cb = new QComboBox(m_calendarPanel);
        cb->setObjectName(QStringLiteral("Combo_%1").arg(index));
        cb->setAccessibleName(label);
        cb->setFont(arial(8, true));
        cb->installEventFilter(this);
        m_calendarCombos[index] = cb;
        row->addWidget(cb, 1);
    };
    // Month, year and Today on one row, so the panel fits beside the page on a small screen; the
    // page status on a row of its own, so the location before Open or Closed shows whole.
    auto *monthYear = new QHBoxLayout;
    auto *statusRow = new QHBoxLayout;
    addCombo(MonthCombo, QStringLiteral("Month"), monthYear);
    addCombo(YearCombo, QStringLiteral("Year"), monthYear);
    // The longest month name shows whole; the year takes what is left.
    m_calendarCombos[MonthCombo]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    monthYear->setStretch(0, 0);
    addCombo(StatusCombo, QStringLiteral("Page status"), statusRow);
    panel->addLayout(monthYear);
    panel->addLayout(statusRow);
    for (int i = 1; i <= 2; ++i)
        connect(m_calendarCombos[i], &QComboBox::currentIndexChanged, this, [this] {
            if (!m_syncingLists)
                listChanged();
        });
    connect(m_calendarCombos[StatusCombo], &QComboBox::currentIndexChanged, this, [this] {
        if (!m_syncingLists)
            statusChanged();
    });

    m_cmdToday = new QPushButton(QStringLiteral("&Today"), m_calendarPanel);
    m_cmdToday->setObjectName(QStringLiteral("cmdToday"));
    m_cmdToday->setAutoDefault(true);
    connect(m_cmdToday, &QPushButton::clicked, this, &DayPageWindow::openToday);
    monthYear->addWidget(m_cmdToday);

    m_closedCheck = new QCheckBox(m_calendarPanel);
    m_closedCheck->setObjectName(QStringLiteral("Check1"));
    m_closedCheck->setAccessibleName(QStringLiteral("Closed page"));
    m_closedCheck->setVisible(false);
    panel->addWidget(m_closedCheck);
    panel->addStretch(1);
    m_calendarPanel->setFixedWidth(m_calendarPanel->sizeHint().width() + 12);
    middle->addWidget(m_calendarPanel);
    outer->addLayout(middle, 1);

    auto *bottom = new QHBoxLayout;
    auto addTotal = [&](QLineEdit *&box, const char *name, const QString &label) {
        box = new QLineEdit(central);
        box->setObjectName(QLatin1String(name));
        box->setAccessibleName(label);
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setFont(arial(9, true));
        box->setMinimumWidth(84);
        box->setMaximumWidth(130);
        bottom->addWidget(box);
    };
    addTotal(m_txtS, "txtS", QStringLiteral("Hours at start"));
    addTotal(m_txtU, "txtU", QStringLiteral("Hours used"));
    addTotal(m_txtA, "txtA", QStringLiteral("Hours available"));
    m_pageLockCheck = new QCheckBox(QStringLiteral("Page Lock"), central);
    m_pageLockCheck->setObjectName(QStringLiteral("Check2"));
    m_pageLockCheck->setBackgroundRole(QPalette::Window);
    m_pageLockCheck->setAutoFillBackground(true);
    connect(m_pageLockCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_page->setPageLock(on);
        QPalette p = palette();
        if (on) {
            p.setColor(QPalette::Window, colorFromNumber(QBColor(12)));
            p.setColor(QPalette::Button, colorFromNumber(QBColor(12)));
        }
        m_pageLockCheck->setPalette(p);
    });
    bottom->addSpacing(12);
    bottom->addWidget(m_pageLockCheck);
    bottom->addStretch(1);
    outer->addLayout(bottom);
    buildEditControls(central, outer, bottom);

    // The answer box of the name search lies over the page.
    m_answerBox = new QFrame(central);
    m_answerBox->setObjectName(QStringLiteral("fraMessage"));
    m_answerBox->setFrameShape(QFrame::Panel);
    m_answerBox->setFrameShadow(QFrame::Raised);
    m_answerBox->setLineWidth(2);
    paintBackground(m_answerBox, FixedCellColor);
    auto *box = new QVBoxLayout(m_answerBox);
    m_lblMessage = new QLabel(m_answerBox);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setFont(arial(9, true));
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setAlignment(Qt::AlignCenter);
    box->addWidget(m_lblMessage);
    auto *buttons = new QHBoxLayout;
    m_cmdYes = new QPushButton(QStringLiteral("&Yes"), m_answerBox);
    m_cmdYes->setObjectName(QStringLiteral("cmdYes"));
    m_cmdNo = new QPushButton(QStringLiteral("&No"), m_answerBox);
    m_cmdNo->setObjectName(QStringLiteral("cmdNo"));
    for (QPushButton *b : {m_cmdYes, m_cmdNo}) {
        b->setAutoDefault(true);
        buttons->addWidget(b);
    }
    box->addLayout(buttons);
    connect(m_cmdYes, &QPushButton::clicked, this, &DayPageWindow::answerYes);
    connect(m_cmdNo, &QPushButton::clicked, this, &DayPageWindow::answerNo);
    m_answerBox->setFixedSize(340, 110);
    m_answerBox->hide();

    connect(m_grid, &GridView::keyPressed, this, [this](QKeyEvent *e) {
        if (e->key() == Qt::Key_Tab) {
            e->accept();
            if (!calendarShown())
                toggleCalendar();
            m_daysFrame->setFocus();
        }
    });
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] {
        if (calendarShown())
            toggleCalendar();
        openToday();
    });
    auto *f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(f2, &QShortcut::activated, this, &DayPageWindow::toggleCalendar);
}

void DayPageWindow::buildMenus()
{
    m_mnuPage = menuBar()->addMenu(QStringLiteral("&Page"));
    m_mnuPage->setObjectName(QStringLiteral("mnuPage"));
    QAction *open = m_mnuPage->addAction(QStringLiteral("&Open"), this, &DayPageWindow::openTypedDate);
    open->setObjectName(QStringLiteral("mnuOpen"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction *print = m_mnuPage->addAction(QStringLiteral("&Print"), this, &DayPageWindow::showPrintOptions);
    print->setObjectName(QStringLiteral("mnuPrint"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction *exportAction = m_mnuPage->addAction(QStringLiteral("&Export..."), this, &DayPageWindow::openExport);
    exportAction->setObjectName(QStringLiteral("mnuExport"));
    exportAction->setEnabled(false); // until the shell gives the window
    m_mnuPage->addSeparator();
    QAction *exit = m_mnuPage->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("mnuExit"));

    buildEditMenus();

    m_mnuNavigate = menuBar()->addMenu(QStringLiteral("&Navigate"));
    m_mnuNavigate->setObjectName(QStringLiteral("mnuNavigate"));
    QAction *refresh = m_mnuNavigate->addAction(QStringLiteral("&Refresh"), this, [this] {
        m_page->refreshGrid();
        focusGrid();
    });
    refresh->setObjectName(QStringLiteral("mnuRefresh"));
    m_mnuNavigate->addAction(QStringLiteral("M&emo"), this, &DayPageWindow::switchMemo)
        ->setObjectName(QStringLiteral("mnuMemo"));
    m_mnuNavigate->addAction(QStringLiteral("&Book"), this, [this] { m_txtBook->setFocus(); })
        ->setObjectName(QStringLiteral("mnuBook"));
    auto dropDown = [this](int index) {
        m_calendarCombos[index]->setFocus();
        m_calendarCombos[index]->showPopup();
    };
    m_mnuNavigate->addAction(QStringLiteral("&Status"), this, [=] { dropDown(0); })
        ->setObjectName(QStringLiteral("mnuStatus"));
    m_mnuNavigate->addAction(QStringLiteral("&Month"), this, [=] { dropDown(1); })
        ->setObjectName(QStringLiteral("mnuMonth"));
    m_mnuNavigate->addAction(QStringLiteral("&Year"), this, [=] { dropDown(2); })
        ->setObjectName(QStringLiteral("mnuYear"));
    m_mnuNavigate->addSeparator();
    QAction *week = m_mnuNavigate->addAction(QStringLiteral("&Week at a Glance"), this, &DayPageWindow::openWeekGlance);
    week->setObjectName(QStringLiteral("mnuWeek"));
    week->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    QAction *history =
        m_mnuNavigate->addAction(QStringLiteral("Customer &History"), this, [this] { openCustomerHistory(); });
    history->setObjectName(QStringLiteral("mnuHistory"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));

    m_mnuSearch = menuBar()->addMenu(QStringLiteral("&Search"));
    m_mnuSearch->setObjectName(QStringLiteral("mnuSearch"));
    m_mnuSearch->addAction(QStringLiteral("&Client"), this, &DayPageWindow::searchName)
        ->setObjectName(QStringLiteral("mnuClient"));
    QAction *findSlot = m_mnuSearch->addAction(QStringLiteral("Find a &Slot..."), this, &DayPageWindow::openSlotFinder);
    findSlot->setObjectName(QStringLiteral("mnuFindSlot"));
    findSlot->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    findSlot->setEnabled(false); // until the shell gives the window

    m_mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    m_mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    m_mnuHelp->addAction(QStringLiteral("&Contents"), this, &DayPageWindow::showHelp)
        ->setObjectName(QStringLiteral("mnuContents"));
}

void DayPageWindow::fillLists()
{
    m_syncingLists = true;
    m_calendarCombos[StatusCombo]->clear();
    m_calendarCombos[StatusCombo]->addItems({m_page->statusOpenText(), m_page->statusClosedText()});
    m_calendarCombos[MonthCombo]->clear();
    const QLocale locale;
    for (int m = 1; m <= 12; ++m)
        m_calendarCombos[MonthCombo]->addItem(locale.toString(QDate(2000, m, 1), QStringLiteral("MMMM")));
    m_calendarCombos[YearCombo]->clear();
    for (int y = CalendarModel::FirstYear; y <= CalendarModel::LastYear; ++y)
        m_calendarCombos[YearCombo]->addItem(QString::number(y));
    m_syncingLists = false;
}

void DayPageWindow::onFilled()
{
    hideEditBox();
    showPageMemo();
    const QDate d = m_page->record().date;
    m_lblCalDay->setText(DateText::longHeading(d));
    m_lblCalDate->setText(DateText::shortDate(d));
    m_pageLockCheck->setChecked(m_page->pageLock());
    showClosedState();
}

void DayPageWindow::showClosedState()
{
    m_closedCheck->setChecked(m_page->closed());
    m_syncingLists = true;
    m_calendarCombos[StatusCombo]->setCurrentIndex(m_page->closed() ? 1 : 0);
    m_syncingLists = false;
}

void DayPageWindow::pollChanges()
{
    // Not while a message or menu waits for the user: the question may be about the page as it
    // was shown.
    if (!isVisible() || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    if (m_page->pollChanges())
        showClosedState();
}

void DayPageWindow::onTotals()
{
    m_txtS->setText(m_page->totalStartText());
    m_txtU->setText(m_page->totalUsedText());
    m_txtA->setText(m_page->totalAvailText());
}

void DayPageWindow::activatePage()
{
    enableOpeners();
    fillLegend();
    m_page->activate();
    focusGrid();
}

void DayPageWindow::focusGrid()
{
    m_grid->setFocus();
    if (m_mark == Mark::Focused)
        setMark(Mark::Unfocused);
}

bool DayPageWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (editingEvent(watched, event))
        return true;
    if (watched == m_legend && event->type() == QEvent::Resize) {
        placeLegend();
        return false;
    }
    if (watched == m_daysFrame) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (calendarKey(static_cast<QKeyEvent *>(event)->key()))
                return true;
            break;
        case QEvent::FocusIn: setMark(Mark::Focused); break;
        case QEvent::FocusOut:
            if (m_mark == Mark::Focused)
                setMark(Mark::Unfocused);
            break;
        default: break;
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const int i = m_lblDay.indexOf(qobject_cast<QLabel *>(watched));
        if (i >= 0) {
            dayLabelClicked(i);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_calendarCombos[StatusCombo]) {
                statusChanged();
                return true;
            }
            if (watched == m_calendarCombos[MonthCombo] || watched == m_calendarCombos[YearCombo]) {
                listChanged();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void DayPageWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        activatePage();
    }
}

void DayPageWindow::closeEvent(QCloseEvent *event)
{
    // Nothing else is saved here: every change was stored when it was made. A memo or booking
    // number still being typed has not lost the focus yet, so it is stored now.
    storeEditedTexts();
    closeOpenedWindows();
    if (m_slotFinder)
        m_slotFinder->close();
    if (m_weekGlance)
        m_weekGlance->close();
    if (m_customerHistory)
        m_customerHistory->close();
    if (!WindowSwitcher::closedByProgram(this) && m_state.switcher()) {
        if (QWidget *menu = m_state.windows().mainMenu(m_state))
            m_state.switcher()->show(menu);
    }
    event->accept();
}
