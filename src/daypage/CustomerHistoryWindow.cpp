#include "daypage/CustomerHistoryWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Station.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

const QString CustomerHistoryWindow::Title = QStringLiteral("Customer History");

namespace {
QTableWidget *listTable(QWidget *parent, const char *name, const QStringList &heads)
{
    auto *t = new QTableWidget(0, int(heads.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(heads);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setTabKeyNavigation(false);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

// Columns as wide as their texts, the last one taking the rest: sizing to the texts leaves the
// last column short when the row numbers are hidden, until the stretch is set again.
void fitColumns(QTableWidget *t)
{
    t->resizeColumnsToContents();
    t->horizontalHeader()->setStretchLastSection(false);
    t->horizontalHeader()->setStretchLastSection(true);
}

void fillRow(QTableWidget *t, int row, const QStringList &texts)
{
    for (int c = 0; c < texts.size(); ++c)
        t->setItem(row, c, new QTableWidgetItem(texts.at(c)));
}
} // namespace

CustomerHistoryWindow::CustomerHistoryWindow(AppState &state, CellOpener openCell, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_openCell(std::move(openCell))
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    m_db = std::make_unique<Database>(sharedDbPath(state.paths()));
    m_history = std::make_unique<CustomerHistory>(*m_db);

    auto *prompt = new QLabel(QStringLiteral("&Search (name, phone or vehicle):"), this);
    m_txtSearch = new QLineEdit(this);
    m_txtSearch->setObjectName(QStringLiteral("txtSearch"));
    m_txtSearch->setClearButtonEnabled(true);
    prompt->setBuddy(m_txtSearch);
    connect(m_txtSearch, &QLineEdit::textEdited, this, &CustomerHistoryWindow::find);
    m_txtSearch->installEventFilter(this);

    m_customerList = listTable(
        this, "grdCustomers",
        {QStringLiteral("Name"), QStringLiteral("Phone"), QStringLiteral("Vehicle"), QStringLiteral("Last visit")});
    m_visitList = listTable(this, "grdBookings",
                            {QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Technician"),
                             QStringLiteral("Jobs"), QStringLiteral("Hours"), QStringLiteral("Comments")});
    connect(m_customerList, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (row != previous)
            chooseCustomer(row);
    });
    connect(m_visitList, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openVisit(row); });
    m_customerList->installEventFilter(this);
    m_visitList->installEventFilter(this);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(prompt);
    outer->addWidget(m_txtSearch);
    outer->addWidget(m_customerList, 2);
    outer->addWidget(new QLabel(QStringLiteral("Bookings, newest first:"), this));
    outer->addWidget(m_visitList, 3);
    setMinimumSize(640, 420);
    resize(880, 560);
    show();
}

CustomerHistoryWindow::~CustomerHistoryWindow() = default;

void CustomerHistoryWindow::search(const QString &text)
{
    m_txtSearch->setText(text);
    find(text);
}

void CustomerHistoryWindow::find(const QString &text)
{
    try {
        m_customers = m_history->search(text);
    } catch (const AppError &e) {
        m_customers.clear();
        m_state.dialogs()->error(e, Title);
    }
    const QLocale locale;
    const QSignalBlocker quiet(m_customerList);
    m_customerList->setRowCount(int(m_customers.size()));
    for (int r = 0; r < m_customers.size(); ++r) {
        const CustomerStore::Customer &c = m_customers.at(r);
        fillRow(m_customerList, r,
                {c.name, c.phone, QStringLiteral("%1 %2").arg(c.vehicle, c.make).trimmed(),
                 locale.toString(c.lastVisit, QLocale::ShortFormat)});
    }
    fitColumns(m_customerList);
    m_customerList->setCurrentCell(m_customers.isEmpty() ? -1 : 0, 0);
    chooseCustomer(m_customers.isEmpty() ? -1 : 0);
}

void CustomerHistoryWindow::chooseCustomer(int row)
{
    m_visits.clear();
    if (row >= 0 && row < m_customers.size()) {
        try {
            m_visits = m_history->visits(m_customers.at(row));
        } catch (const AppError &e) {
            m_state.dialogs()->error(e, Title);
        }
    }
    const QLocale locale;
    m_visitList->setRowCount(int(m_visits.size()));
    for (int r = 0; r < m_visits.size(); ++r) {
        const CustomerHistory::Visit &v = m_visits.at(r);
        fillRow(m_visitList, r,
                {locale.toString(v.date, QLocale::ShortFormat), v.time, v.tech, v.jobs, v.hours, v.comments});
    }
    fitColumns(m_visitList);
    if (!m_visits.isEmpty())
        m_visitList->setCurrentCell(0, 0);
}

void CustomerHistoryWindow::openVisit(int row)
{
    if (row < 0 || row >= m_visits.size() || !m_openCell)
        return;
    const CustomerHistory::Visit &v = m_visits.at(row);
    m_openCell(v.date, v.row, v.col);
}

bool CustomerHistoryWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    // Down from the box goes to the customers, Enter on a customer to their bookings.
    if (watched == m_txtSearch && (key == Qt::Key_Down || enter) && !m_customers.isEmpty()) {
        m_customerList->setFocus();
        return true;
    }
    if (watched == m_customerList && enter && !m_visits.isEmpty()) {
        m_visitList->setFocus();
        return true;
    }
    if (watched == m_visitList && enter) {
        openVisit(m_visitList->currentRow());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CustomerHistoryWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
