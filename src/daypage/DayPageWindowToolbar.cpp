// The day page window's toolbar and menus: the toolbar buttons and their icons, the Edit menu,
// the colour legend, help, the print options and the office information sheet.
#include "daypage/DayPageWindow.h"

#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "core/StartDoc.h"
#include "core/Twips.h"
#include "daypage/CustomerHistoryWindow.h"
#include "daypage/Legend.h"
#include "daypage/WeekGlanceWindow.h"
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
    {"FindSlot", "Find a slot"},
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
        p.setBrush(colorFromNumber(n));
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
    } else if (key == QLatin1String("FindSlot")) {
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
        p.drawLine(QPointF(12, 12), QPointF(12, 6));
        p.drawLine(QPointF(12, 12), QPointF(16.5, 14.5));
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

void DayPageWindow::buildToolbar()
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
        a->setEnabled(key != QLatin1String("FindSlot")); // until the shell gives the window
        connect(a, &QAction::triggered, this, [this, key] { toolbarButton(key); });
    }
    // Clicking a button leaves the focus where it was: Cut and Paste act on the box being typed in.
    for (QAction *a : m_toolBar->actions())
        if (QWidget *w = m_toolBar->widgetForAction(a))
            w->setFocusPolicy(Qt::NoFocus);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

QAction *DayPageWindow::toolbarAction(const QString &key) const
{
    for (QAction *a : m_toolBar->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

void DayPageWindow::buildEditMenus()
{
    m_mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    QAction *cut = m_mnuEdit->addAction(QStringLiteral("Cu&t"), this, &DayPageWindow::editCut);
    cut->setObjectName(QStringLiteral("mnuCut"));
    cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction *copy = m_mnuEdit->addAction(QStringLiteral("&Copy"), this, &DayPageWindow::editCopy);
    copy->setObjectName(QStringLiteral("mnuCopy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction *paste = m_mnuEdit->addAction(QStringLiteral("&Paste"), this, &DayPageWindow::editPaste);
    paste->setObjectName(QStringLiteral("mnuPaste"));
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    m_mnuEdit->addAction(QStringLiteral("&Delete"), this, &DayPageWindow::editDelete)
        ->setObjectName(QStringLiteral("mnuDelete"));
}

void DayPageWindow::fillLegend()
{
    QStringList current;
    for (QLabel *l : m_legendCaptions)
        current.append(l->text());
    QString list;
    try {
        list = m_page->settings().labelColors();
    } catch (const AppError &e) {
        // The captions stay; the page's own reading reports the database.
        DiagnosticLog::passedOver(QStringLiteral("fillLegend"), e);
        return;
    }
    const QStringList captions = Legend::captions(current, list);
    for (int i = 0; i < m_legendCaptions.size(); ++i) {
        m_legendCaptions.at(i)->setText(captions.at(i));
        m_legendSwatches.at(i)->setAccessibleName(captions.at(i));
    }
    placeLegend();
}

void DayPageWindow::placeLegend()
{
    QVector<int> widths;
    for (QLabel *l : m_legendCaptions) {
        l->adjustSize();
        widths.append(int(pixelsToTwips(l->width())));
    }
    // Before it is shown the legend has no width of its own yet: one line until it has.
    const int width = m_legend->isVisible() ? int(pixelsToTwips(m_legend->width())) : 0;
    const QVector<Legend::Place> places = Legend::layout(widths, width);
    const int lines = places.isEmpty() ? 1 : places.last().line + 1;
    if (m_legend->height() != lines * LegendLineHeight)
        m_legend->setFixedHeight(lines * LegendLineHeight);
    for (int i = 0; i < places.size(); ++i) {
        const int top = places.at(i).line * LegendLineHeight;
        m_legendSwatches.at(i)->move(twipsToPixels(places.at(i).swatch), top + (LegendLineHeight - 16) / 2);
        m_legendCaptions.at(i)->move(twipsToPixels(places.at(i).caption),
                                     top + (LegendLineHeight - m_legendCaptions.at(i)->height()) / 2);
    }
}

void DayPageWindow::showHelp()
{
    try {
        auto *help = new HelpWindow(m_state, this);
        help->show();
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Help"));
    }
}

void DayPageWindow::enableOpeners()
{
    // The shell sets the makers when the station starts; a test may set them later.
    m_cmdPrint->setEnabled(m_state.windows().hasPrintView());
    for (QAction *a : {toolbarAction(QStringLiteral("FindSlot")), findChild<QAction *>(QStringLiteral("mnuFindSlot"))})
        if (a)
            a->setEnabled(m_state.windows().hasSlotFinder());
    if (QAction *a = findChild<QAction *>(QStringLiteral("mnuExport")))
        a->setEnabled(m_state.windows().hasExportWindow());
}

void DayPageWindow::openSlotFinder()
{
    if (m_slotFinder) {
        m_slotFinder->raise();
        m_slotFinder->activateWindow();
        return;
    }
    m_slotFinder = m_state.windows().slotFinder(m_state, this);
}

void DayPageWindow::openExport()
{
    if (m_exportWindow) {
        m_exportWindow->raise();
        m_exportWindow->activateWindow();
        return;
    }
    m_exportWindow = m_state.windows().exportWindow(m_state, this);
}

void DayPageWindow::openWeekGlance()
{
    if (m_weekGlance) {
        m_weekGlance->raise();
        m_weekGlance->activateWindow();
        return;
    }
    try {
        m_weekGlance = new WeekGlanceWindow(
            m_state, m_page->record().date,
            [this](const QDate &d) {
                openDay(d);
                raise();
                activateWindow();
            },
            this);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Week at a Glance"));
    }
}

void DayPageWindow::openCustomerHistory(const QString &text)
{
    auto *window = qobject_cast<CustomerHistoryWindow *>(m_customerHistory);
    if (!window) {
        try {
            window = new CustomerHistoryWindow(
                m_state,
                [this](const QDate &d, int row, int col) { openCell(d, row, col, 0, CustomerHistoryWindow::Title); },
                this);
        } catch (const AppError &e) {
            m_state.dialogs()->error(e, CustomerHistoryWindow::Title);
            return;
        }
        m_customerHistory = window;
    }
    if (!text.trimmed().isEmpty())
        window->search(text.trimmed());
    window->raise();
    window->activateWindow();
}

void DayPageWindow::showPrintOptions()
{
    enableOpeners();
    m_state.layout().savedRow = m_page->grid().row();
    m_state.layout().savedCol = m_page->grid().col();
    const QRect g = m_grid->geometry();
    m_printPanel->move(g.x() + (g.width() - m_printPanel->width()) / 2,
                       g.y() + (g.height() - m_printPanel->height()) / 3);
    m_printPanel->show();
    m_printPanel->raise();
    m_printChoice[2]->setChecked(true);
    m_printChoice[2]->setFocus();
}

void DayPageWindow::openInfoDoc()
{
    openDocument(*m_state.dialogs(), QDir(m_state.paths().serverFolder()).filePath(QStringLiteral("Info.doc")),
                 m_state.paths().programFolder());
}

void DayPageWindow::toolbarButton(const QString &key)
{
    // Failures inside a button's step are passed over; each routine reports its own.
    try {
        if (spanSlotKeys().contains(key)) {
            m_page->spanChoice().cells = spanSlotKeys().value(key);
            m_page->setCellColor();
        } else if (spanColorKeys().contains(key)) {
            m_page->spanChoice().color = int(spanColorKeys().value(key));
            m_page->setCellColor();
        } else if (key == QLatin1String("Magenta")) {
            m_page->paintCell(MagentaColor);
        } else if (key == QLatin1String("Refresh")) {
            m_page->refreshGrid();
        } else if (key == QLatin1String("Calendar")) {
            toggleCalendar();
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
        } else if (key == QLatin1String("FindSlot")) {
            openSlotFinder();
        } else if (key == QLatin1String("Help")) {
            showHelp();
        } else if (key == QLatin1String("Key")) {
            m_pageLockCheck->toggle();
            if (m_txtEdit->isVisible())
                m_txtEdit->setFocus();
        }
    } catch (const AppError &e) {
        DiagnosticLog::passedOver(QStringLiteral("Toolbar ") + key, e);
    }
}
