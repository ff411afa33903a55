#include "print/PrintView.h"

#include "core/AppState.h"
#include "daypage/PageStore.h"
#include "print/PrintPreviewWindow.h"
#include "store/Database.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
QFont arial(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"), points);
    f.setBold(bold);
    return f;
}
} // namespace

PrintView::PrintView(AppState &state, const QString &name, const QString &title, QWidget *parent)
    : QMainWindow(parent, Qt::Window), m_state(state)
{
    setObjectName(name);
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    m_db = std::make_unique<Database>(m_state.paths().sharedDbPath());
    m_store = std::make_unique<PageStore>(*m_db);

    m_toolBar = addToolBar(QStringLiteral("tbToolBar"));
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    // The theme's printer; desktops without one name it "printer" or have neither.
    QIcon printer = QIcon::fromTheme(QStringLiteral("document-print"));
    if (printer.isNull())
        printer = QIcon::fromTheme(QStringLiteral("printer"), style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    QAction *print = m_toolBar->addAction(printer, QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("Print"));
    print->setToolTip(QStringLiteral("Print (F11)"));
    connect(print, &QAction::triggered, this, [this] { printSchedule(); });
    auto *f11 = new QShortcut(QKeySequence(Qt::Key_F11), this);
    connect(f11, &QShortcut::activated, this, [this] { printSchedule(); });

    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    auto *head = new QHBoxLayout;
    outer->addLayout(head);
    m_lblCalDay = new QLabel(central);
    m_lblCalDay->setObjectName(QStringLiteral("lblCalDay"));
    m_lblCalDay->setFont(arial(14, true));
    m_lblCalDate = new QLabel(central);
    m_lblCalDate->setObjectName(QStringLiteral("lblCalDate"));
    m_lblCalDate->setFont(arial(11, true));
    head->addWidget(m_lblCalDay);
    head->addSpacing(20);
    head->addWidget(m_lblCalDate);
    head->addStretch();
    auto addTotal = [&](QLineEdit *&box, const char *name, const QString &caption) {
        box = new QLineEdit(central);
        box->setObjectName(QLatin1String(name));
        box->setReadOnly(true);
        box->setFixedWidth(90);
        box->setFont(arial(9, true));
        box->setAccessibleName(caption);
        head->addWidget(box);
    };
    addTotal(m_txtS, "txtS", QStringLiteral("Hours at start"));
    addTotal(m_txtU, "txtU", QStringLiteral("Hours used"));
    addTotal(m_txtA, "txtA", QStringLiteral("Hours available"));
    auto *cmdPrint = new QPushButton(QStringLiteral("&Print"), central);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    auto *cmdClose = new QPushButton(QStringLiteral("&Close"), central);
    cmdClose->setObjectName(QStringLiteral("cmdClosePrint"));
    head->addSpacing(20);
    head->addWidget(cmdPrint);
    head->addWidget(cmdClose);
    connect(cmdPrint, &QPushButton::clicked, this, [this] { printSchedule(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    setCentralWidget(central);
}

PrintView::~PrintView() = default;

PrintPreviewWindow *PrintView::preview() const { return m_preview; }

void PrintView::setGrid(QWidget *grid)
{
    static_cast<QVBoxLayout *>(centralWidget()->layout())->addWidget(grid, 1);
    grid->setFocus();
}

void PrintView::showTotals(const QString &avail, const QString &used, const QString &start)
{
    m_txtA->setText(avail);
    m_txtU->setText(used);
    m_txtS->setText(start);
}

ScheduleHeading PrintView::heading() const
{
    ScheduleHeading h;
    h.day = m_lblCalDay->text();
    h.date = m_lblCalDate->text();
    h.tech = m_tech;
    h.avail = m_txtA->text();
    h.used = m_txtU->text();
    h.start = m_txtS->text();
    return h;
}

void PrintView::openPreview(Schedule kind, SchedulePrint::Fill fill, const QDate &date)
{
    // One preview at a time; a second Print brings it back with the grid read again.
    if (m_preview) {
        m_preview->refresh();
        m_preview->show();
        m_preview->raise();
        m_preview->activateWindow();
        return;
    }
    m_preview = new PrintPreviewWindow(
        m_state, kind, std::move(fill), [this] { return heading(); }, date, this);
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

void PrintView::closeEvent(QCloseEvent *event)
{
    // The preview stores its own settings as it closes.
    if (m_preview)
        m_preview->close();
    storeWidths();
    QMainWindow::closeEvent(event);
}
