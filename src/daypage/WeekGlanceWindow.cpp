#include "daypage/WeekGlanceWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "core/Station.h"
#include "daypage/PageStore.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/Engine.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int PercentRole = Qt::UserRole + 1;
constexpr int ClosedRole = Qt::UserRole + 2;

// The booked share as a bar along the cell's foot, red once the hours are overbooked.
class BarDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.data(ClosedRole).toBool())
            p->fillRect(option.rect, QColor(0xC0, 0xC0, 0xC0));
        const QVariant percent = index.data(PercentRole);
        if (percent.isValid()) {
            const int pc = percent.toInt();
            QRect bar = option.rect.adjusted(3, option.rect.height() - 8, -3, -3);
            p->fillRect(bar, QColor(0xE8, 0xE8, 0xE8));
            bar.setWidth(bar.width() * qBound(0, pc, 100) / 100);
            p->fillRect(bar, pc > 100 ? QColor(0xD0, 0x30, 0x30) : QColor(0x30, 0x80, 0xD0));
        }
        QStyleOptionViewItem o = option;
        o.rect.setBottom(o.rect.bottom() - 8);
        QStyledItemDelegate::paint(p, o, index);
    }
};

} // namespace

WeekGlanceWindow::WeekGlanceWindow(AppState &state, const QDate &day, DayOpener openDay, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_openDay(std::move(openDay))
{
    setObjectName(QStringLiteral("frmWeek"));
    setWindowTitle(QStringLiteral("Week at a Glance"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_db = std::make_unique<Database>(sharedDbPath(state.paths()));
    m_store = std::make_unique<PageStore>(*m_db);

    auto *prev = new QPushButton(QStringLiteral("◀"), this);
    prev->setObjectName(QStringLiteral("cmdPrevWeek"));
    prev->setAccessibleName(QStringLiteral("Previous week"));
    prev->setToolTip(QStringLiteral("Previous week (Alt+Left)"));
    auto *next = new QPushButton(QStringLiteral("▶"), this);
    next->setObjectName(QStringLiteral("cmdNextWeek"));
    next->setAccessibleName(QStringLiteral("Next week"));
    next->setToolTip(QStringLiteral("Next week (Alt+Right)"));
    m_lblWeek = new QLabel(this);
    m_lblWeek->setObjectName(QStringLiteral("lblWeek"));
    m_lblWeek->setAlignment(Qt::AlignCenter);
    connect(prev, &QPushButton::clicked, this, [this] { moveWeeks(-1); });
    connect(next, &QPushButton::clicked, this, [this] { moveWeeks(1); });
    for (auto [key, weeks] : {std::pair{Qt::Key_Left, -1}, std::pair{Qt::Key_Right, 1}}) {
        auto *a = new QAction(this);
        a->setShortcut(QKeySequence(Qt::ALT | key));
        connect(a, &QAction::triggered, this, [this, weeks = weeks] { moveWeeks(weeks); });
        addAction(a);
    }

    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("grdWeek"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setItemDelegate(new BarDelegate(m_table));
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->verticalHeader()->setDefaultSectionSize(44);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int, int col) { openColumn(col); });
    m_table->installEventFilter(this);

    auto *top = new QHBoxLayout;
    top->addWidget(prev);
    top->addWidget(m_lblWeek, 1);
    top->addWidget(next);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(m_table, 1);
    setMinimumSize(720, 300);
    resize(960, 420);

    auto *refresh = new QTimer(this);
    refresh->setObjectName(QStringLiteral("tmrRefresh"));
    refresh->setInterval(RefreshMs);
    connect(refresh, &QTimer::timeout, this, &WeekGlanceWindow::pollChanges);
    refresh->start();

    showWeek(day);
    show();
}

WeekGlanceWindow::~WeekGlanceWindow() = default;

QString WeekGlanceWindow::cellText(const WeekGlance::Hours &h)
{
    return QStringLiteral("%1 of %2 h\n%3%").arg(numberText(h.used), numberText(h.start)).arg(h.percent());
}

QDate WeekGlanceWindow::dayOfColumn(int col) const { return col >= 0 && col < 7 ? m_week.days[col].date : QDate(); }

void WeekGlanceWindow::showWeek(const QDate &anyDay)
{
    try {
        m_dataVersion = m_db->engine().dataVersion(*m_db);
        m_week = WeekGlance::read(*m_store, anyDay);
        fill();
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, windowTitle());
    }
}

void WeekGlanceWindow::pollChanges()
{
    try {
        if (m_db->engine().dataVersion(*m_db) != m_dataVersion)
            showWeek(m_week.monday);
    } catch (const AppError &) {
        // A busy or unreachable database is looked at again on the next tick.
    }
}

void WeekGlanceWindow::fill()
{
    const QLocale locale;
    m_lblWeek->setText(
        QStringLiteral("%1 – %2").arg(locale.toString(m_week.monday, QStringLiteral("ddd d MMM yyyy")),
                                      locale.toString(m_week.monday.addDays(6), QStringLiteral("ddd d MMM yyyy"))));
    const int techs = m_week.techCount();
    const int row = m_table->currentRow(), col = m_table->currentColumn();
    m_table->clear();
    m_table->setRowCount(techs + 1);
    m_table->setColumnCount(8);
    QStringList heads;
    for (const WeekGlance::Day &d : m_week.days)
        heads << locale.toString(d.date, QStringLiteral("ddd d MMM"));
    heads << QStringLiteral("Week");
    m_table->setHorizontalHeaderLabels(heads);
    QStringList rows;
    for (int t = 0; t < techs; ++t)
        rows << (m_week.techNames[t].isEmpty() ? QStringLiteral("Tech %1").arg(t + 1) : m_week.techNames[t]);
    rows << QStringLiteral("Shop");
    m_table->setVerticalHeaderLabels(rows);

    auto put = [this](int r, int c, const WeekGlance::Hours &h, bool closed) {
        auto *item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        if (closed) {
            item->setText(QStringLiteral("Closed"));
            item->setData(ClosedRole, true);
        } else {
            item->setText(cellText(h));
            item->setData(PercentRole, h.percent());
        }
        m_table->setItem(r, c, item);
    };
    for (int d = 0; d < 7; ++d) {
        const WeekGlance::Day &day = m_week.days[d];
        for (int t = 0; t < techs; ++t)
            put(t, d, day.techs.value(t), day.closed);
        put(techs, d, m_week.dayTotal(d), day.closed);
    }
    for (int t = 0; t < techs; ++t)
        put(t, 7, m_week.techTotal(t), false);
    put(techs, 7, m_week.shopTotal(), false);
    if (row >= 0 && col >= 0)
        m_table->setCurrentCell(qMin(row, techs), col);
}

void WeekGlanceWindow::openColumn(int col)
{
    const QDate d = dayOfColumn(col);
    if (d.isValid() && m_openDay)
        m_openDay(d);
}

bool WeekGlanceWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openColumn(m_table->currentColumn());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WeekGlanceWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
