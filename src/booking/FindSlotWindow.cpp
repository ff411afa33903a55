#include "booking/FindSlotWindow.h"

#include "booking/TechSkills.h"
#include "core/AppState.h"
#include "core/DateText.h"
#include "core/Dialogs.h"
#include "core/ListText.h"
#include "core/Station.h"
#include "core/TimeText.h"
#include "daypage/DayPageWindow.h"
#include "store/SettingsStore.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString FindSlotWindow::TakenText =
    QStringLiteral("That place has just been taken at another station. The list shows the places free now.");

FindSlotWindow::FindSlotWindow(AppState &state, DayPageWindow &page)
    : QWidget(&page, Qt::Window), m_state(state), m_page(page)
{
    setObjectName(QStringLiteral("frmFindSlot"));
    setWindowTitle(QStringLiteral("Find a Slot"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_db = std::make_unique<Database>(sharedDbPath(state.paths()));
    m_store = std::make_unique<PageStore>(*m_db);
    m_finder = std::make_unique<SlotFinder>(*m_store);

    auto named = [](QWidget *w, const char *name, const QString &accessible) {
        w->setObjectName(QLatin1String(name));
        w->setAccessibleName(accessible);
    };
    m_txtHours = new QDoubleSpinBox(this);
    named(m_txtHours, "txtHours", QStringLiteral("Hours needed"));
    m_txtHours->setRange(SlotFinder::MinHours, SlotFinder::MaxHours);
    m_txtHours->setSingleStep(0.5);
    m_txtHours->setDecimals(2);
    m_txtHours->setValue(1);

    m_cboSkill = new QComboBox(this);
    named(m_cboSkill, "cboSkill", QStringLiteral("Skill"));
    m_cboSkill->addItem(QStringLiteral("(any)"), 0);
    for (int s = 1; s <= TechSkills::Count; ++s)
        m_cboSkill->addItem(TechSkills::viewerName(s), s);

    m_cboTech = new QComboBox(this);
    named(m_cboTech, "cboTech", QStringLiteral("Technician"));
    m_cboTech->addItem(QStringLiteral("(any)"), 0);
    const OfficeSettings settings = SettingsStore(*m_db).office();
    const QStringList names = splitList(settings.names);
    for (int c = 1; c <= settings.listno; ++c) {
        const QString name = names.value(c).trimmed();
        m_cboTech->addItem(name.isEmpty() ? QStringLiteral("Column %1").arg(c) : name, c);
    }

    m_txtFirst = new QDateEdit(this);
    named(m_txtFirst, "txtFirst", QStringLiteral("First date"));
    m_txtFirst->setCalendarPopup(true);
    const QDate shown = page.page().record().date;
    m_txtFirst->setDate(shown.isValid() ? shown : QDate::currentDate());

    m_txtDays = new QSpinBox(this);
    named(m_txtDays, "txtDays", QStringLiteral("Days to look"));
    m_txtDays->setRange(1, 366);
    m_txtDays->setValue(14);

    m_cmdFind = new QPushButton(QStringLiteral("&Find"), this);
    m_cmdFind->setObjectName(QStringLiteral("cmdFind"));
    m_cmdFind->setDefault(true);

    m_lstPlaces = new QTreeWidget(this);
    named(m_lstPlaces, "lstPlaces", QStringLiteral("Places"));
    m_lstPlaces->setRootIsDecorated(false);
    m_lstPlaces->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Technician"), QStringLiteral("Start"), QStringLiteral("End")});
    m_lstPlaces->setMinimumSize(480, 230);
    m_lstPlaces->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setWordWrap(true);

    m_cmdOpen = new QPushButton(QStringLiteral("&Open Page"), this);
    m_cmdOpen->setObjectName(QStringLiteral("cmdOpen"));
    m_cmdOpen->setEnabled(false);
    auto *cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Hours needed:"), m_txtHours);
    form->addRow(QStringLiteral("&Skill:"), m_cboSkill);
    form->addRow(QStringLiteral("&Technician:"), m_cboTech);
    form->addRow(QStringLiteral("First &date:"), m_txtFirst);
    form->addRow(QStringLiteral("Days to &look:"), m_txtDays);
    auto *top = new QHBoxLayout;
    top->addLayout(form, 1);
    auto *findColumn = new QVBoxLayout;
    findColumn->addWidget(m_cmdFind);
    findColumn->addStretch();
    top->addLayout(findColumn);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOpen);
    buttons->addWidget(cmdClose);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(m_lstPlaces, 1);
    outer->addWidget(m_lblStatus);
    outer->addLayout(buttons);

    // Over the day page, clear of its headings.
    adjustSize();
    move(page.mapToGlobal(QPoint(qMax(0, (page.width() - width()) / 2), 110)));

    connect(m_cmdFind, &QPushButton::clicked, this, &FindSlotWindow::search);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_cmdOpen, &QPushButton::clicked, this,
            [this] { choose(m_lstPlaces->indexOfTopLevelItem(m_lstPlaces->currentItem())); });
    connect(m_lstPlaces, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { choose(m_lstPlaces->indexOfTopLevelItem(item)); });
    connect(m_lstPlaces, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { m_cmdOpen->setEnabled(item != nullptr); });
}

FindSlotWindow::~FindSlotWindow() = default;

void FindSlotWindow::search()
{
    m_query.hours = float(m_txtHours->value());
    m_query.skill = m_cboSkill->currentData().toInt();
    m_query.tech = m_cboTech->currentData().toInt();
    m_query.first = m_txtFirst->date();
    m_query.days = m_txtDays->value();
    m_query.limit = Places;
    // Slots already begun today are no answer to "when can you take it".
    m_query.notBefore = QDateTime::currentDateTime();
    m_lstPlaces->clear();
    m_places.clear();
    m_lblStatus->clear();
    try {
        m_places = m_finder->find(m_query);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Find a Slot"));
        return;
    }
    for (const SlotFinder::Place &p : m_places) {
        const QString day = QLocale().dayName(p.date.dayOfWeek(), QLocale::ShortFormat);
        new QTreeWidgetItem(m_lstPlaces, {day + QLatin1Char(' ') + DateText::shortDate(p.date),
                                          p.tech.trimmed().isEmpty() ? QString::number(p.col) : p.tech,
                                          settingsTimeText(p.start), settingsTimeText(p.end)});
    }
    if (m_places.isEmpty()) {
        m_lblStatus->setText(QStringLiteral("No free place in these days."));
        return;
    }
    m_lstPlaces->setCurrentItem(m_lstPlaces->topLevelItem(0));
    m_lstPlaces->setFocus();
}

void FindSlotWindow::keyPressEvent(QKeyEvent *event)
{
    // Enter in a box that did not take it finds; in the list it has chosen a place already.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() != m_lstPlaces) {
        search();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindSlotWindow::choose(int index)
{
    if (index < 0 || index >= m_places.size())
        return;
    const SlotFinder::Place place = m_places.at(index);
    try {
        if (!m_finder->stillFits(place, m_query.hours)) {
            search();
            m_lblStatus->setText(TakenText);
            return;
        }
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Find a Slot"));
        return;
    }
    if (m_page.openCell(place.date, place.row, place.col, m_query.hours))
        close();
}
