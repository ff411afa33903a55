#include "print/PrintPreviewWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Twips.h"
#include "print/DrawSurface.h"
#include "print/PrintSettings.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {
constexpr int ScrollStepTwips = 120;

QFont arial(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"), points);
    f.setBold(bold);
    return f;
}

const char *modeField(Schedule k) { return k == Schedule::Daily ? "Printmode" : "dMode"; }
const char *fillField(Schedule k) { return k == Schedule::Daily ? "FillPage" : "dFillPage"; }

QString windowName(Schedule k)
{
    switch (k) {
    case Schedule::Daily: return QStringLiteral("frmPrintDaily");
    case Schedule::Details: return QStringLiteral("frmPrintDetails");
    case Schedule::Weekly: break;
    }
    return QStringLiteral("frmPrintWeekly");
}
} // namespace

// The page picture picTarget: shows the preview image at its own size.
class PrintPreviewWindow::Picture : public QWidget {
public:
    using QWidget::QWidget;
    void setImage(const QImage &image)
    {
        m_image = image;
        resize(image.size());
        update();
    }
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

PrintPreviewWindow::PrintPreviewWindow(AppState &state, Schedule kind, SchedulePrint::Fill fill, Heading heading,
                                       const QDate &date, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_kind(kind), m_heading(std::move(heading)), m_date(date),
      m_print(std::make_unique<SchedulePrint>(state, kind, std::move(fill)))
{
    setObjectName(windowName(kind));
    setWindowTitle(m_print->caption());
    setAttribute(Qt::WA_DeleteOnClose);
    m_db = std::make_unique<Database>(m_state.paths().sharedDbPath());
    m_surface = std::make_unique<ImageSurface>(m_print->pageWidth(), m_print->pageHeight());

    auto *outer = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    outer->addLayout(head);
    m_lblDay = new QLabel(this);
    m_lblDay->setObjectName(QStringLiteral("LblDay"));
    m_lblDay->setFont(arial(12, true));
    m_lblDate = new QLabel(this);
    m_lblDate->setObjectName(QStringLiteral("lblDate"));
    m_lblDate->setFont(arial(10, true));
    m_lblTech = new QLabel(this);
    m_lblTech->setObjectName(QStringLiteral("lblTech"));
    m_lblTech->setFont(arial(12, true));
    head->addWidget(m_lblTech);
    head->addWidget(m_lblDay);
    head->addWidget(m_lblDate);
    head->addStretch();
    auto addTotal = [&](QLineEdit *&box, const char *name, const QString &caption) {
        auto *label = new QLabel(caption, this);
        box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        box->setReadOnly(true);
        box->setFixedWidth(90);
        label->setBuddy(box);
        head->addWidget(label);
        head->addWidget(box);
    };
    addTotal(m_txtS, "txtS", QStringLiteral("Hours Start"));
    addTotal(m_txtA, "txtA", QStringLiteral("Hours Available"));
    addTotal(m_txtU, "txtU", QStringLiteral("Hours Used"));

    auto *buttons = new QHBoxLayout;
    outer->addLayout(buttons);
    auto button = [&](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    m_cmdRefresh = button("cmdRefresh", QStringLiteral("&Refresh"));
    m_cmdOrientation = button("cmdOrientation", QStringLiteral("&Portrait"));
    m_cmdOrientation->setVisible(kind != Schedule::Weekly);
    m_chkColWidth = new QCheckBox(QStringLiteral("Resize Col &widths to fill page"), this);
    m_chkColWidth->setObjectName(QStringLiteral("chkColWidth"));
    buttons->addWidget(m_chkColWidth);
    buttons->addStretch();
    m_cmdPrint = button("cmdPrint", QStringLiteral("&Print"));
    m_cmdPdf = button("cmdPdf", QStringLiteral("Save as P&DF..."));
    auto *close = button("cmdClose", QStringLiteral("&Close"));

    m_picScroll = new QWidget(this);
    m_picScroll->setObjectName(QStringLiteral("picScroll"));
    m_picScroll->setAutoFillBackground(true);
    QPalette p = m_picScroll->palette();
    p.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    m_picScroll->setPalette(p);
    outer->addWidget(m_picScroll, 1);
    m_picTarget = new Picture(m_picScroll);
    m_picTarget->setObjectName(QStringLiteral("picTarget"));
    m_picTarget->setAccessibleName(m_print->caption());
    m_hscScroll = new QScrollBar(Qt::Horizontal, m_picScroll);
    m_hscScroll->setObjectName(QStringLiteral("hscScroll"));
    m_vscScroll = new QScrollBar(Qt::Vertical, m_picScroll);
    m_vscScroll->setObjectName(QStringLiteral("vscScroll"));
    m_hscScroll->setAccessibleName(QStringLiteral("Scroll across the page"));
    m_vscScroll->setAccessibleName(QStringLiteral("Scroll down the pages"));

    m_picScroll->installEventFilter(this);
    m_picTarget->installEventFilter(this);

    connect(m_cmdRefresh, &QPushButton::clicked, this, &PrintPreviewWindow::refresh);
    connect(m_cmdOrientation, &QPushButton::clicked, this, &PrintPreviewWindow::switchOrientation);
    // The fill shows at once, no Refresh needed; before the first showing the settings decide.
    connect(m_chkColWidth, &QCheckBox::toggled, this, [this](bool on) {
        m_print->setFill(on);
        if (m_settingsRead)
            refresh();
    });
    connect(m_cmdPrint, &QPushButton::clicked, this, &PrintPreviewWindow::print);
    connect(m_cmdPdf, &QPushButton::clicked, this, &PrintPreviewWindow::saveAsPdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_hscScroll, &QScrollBar::valueChanged, this, &PrintPreviewWindow::scrollPicture);
    connect(m_vscScroll, &QScrollBar::valueChanged, this, &PrintPreviewWindow::scrollPicture);

    // The full width of the screen, its height less 280 twips, at the top.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        setGeometry(avail.x(), avail.y(), avail.width(), qMax(200, avail.height() - twipsToPixels(280)));
    }
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

QImage PrintPreviewWindow::picture() const { return m_picTarget->image(); }

void PrintPreviewWindow::readSettings()
{
    if (m_kind == Schedule::Weekly)
        return;
    try {
        const PrintSettings::Preview s = PrintSettings(*m_db).preview(modeField(m_kind), fillField(m_kind));
        m_print->setOrientation(s.orientation);
        m_print->setFill(s.fill);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Print Preview"));
    }
    m_chkColWidth->setChecked(m_print->fill());
    showOrientation();
}

void PrintPreviewWindow::showOrientation()
{
    m_cmdOrientation->setText(m_print->orientation() == 2 ? QStringLiteral("&Landscape") : QStringLiteral("&Portrait"));
}

void PrintPreviewWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_settingsRead)
        return;
    // The stored fill ticks the box without a drawing of its own; one follows.
    readSettings();
    m_settingsRead = true;
    refresh();
}

void PrintPreviewWindow::refresh()
{
    const ScheduleHeading h = m_heading();
    m_lblDay->setText(h.day);
    m_lblDate->setText(h.date);
    m_lblTech->setText(h.tech);
    m_lblTech->setVisible(m_kind == Schedule::Weekly);
    m_lblDate->setVisible(m_kind != Schedule::Daily);
    m_txtA->setText(h.avail);
    m_txtU->setText(h.used);
    m_txtS->setText(h.start);
    m_print->setFill(m_chkColWidth->isChecked());
    m_print->drawPreview(*m_surface);
    m_picTarget->setImage(m_surface->image());
    placeScrollBars();
}

void PrintPreviewWindow::switchOrientation()
{
    m_print->setOrientation(m_print->orientation() == 2 ? 1 : 2);
    showOrientation();
    m_hscScroll->setValue(0);
    m_vscScroll->setValue(0);
    refresh();
}

void PrintPreviewWindow::print() { m_print->print(m_heading(), m_date); }

void PrintPreviewWindow::saveAsPdf() { m_print->saveAsPdf(m_heading(), m_date); }

bool PrintPreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The wheel over the page or the grey around it scrolls the page.
    if (event->type() == QEvent::Wheel && (watched == m_picTarget || watched == m_picScroll)) {
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PrintPreviewWindow::wheelEvent(QWheelEvent *event)
{
    // A notch (120) scrolls three steps; sideways, or with Shift held, across the page.
    const QPoint delta = event->angleDelta();
    const bool across = delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    QScrollBar *bar = across ? m_hscScroll : m_vscScroll;
    const int notches = (across && delta.x() != 0 ? delta.x() : delta.y()) * 3 / 120;
    bar->setValue(bar->value() - notches);
    event->accept();
}

void PrintPreviewWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeScrollBars();
}

void PrintPreviewWindow::placeScrollBars()
{
    const int h = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize inner = m_picScroll->size();
    m_hscScroll->setGeometry(0, inner.height() - h, qMax(0, inner.width() - h), h);
    m_vscScroll->setGeometry(inner.width() - h, 0, h, qMax(0, inner.height() - h));
    m_hscScroll->raise();
    m_vscScroll->raise();
    setScrollRanges();
}

void PrintPreviewWindow::setScrollRanges()
{
    const double barW = pixelsToTwips(m_vscScroll->width());
    const double barH = pixelsToTwips(m_hscScroll->height());
    const double spareW = pixelsToTwips(m_picTarget->width()) - pixelsToTwips(m_picScroll->width()) + barW;
    const double spareH = pixelsToTwips(m_picTarget->height()) - pixelsToTwips(m_picScroll->height()) + barH;
    m_hscScroll->setRange(0, qMax(0, int(spareW / ScrollStepTwips) + 1));
    m_vscScroll->setRange(0, qMax(0, int(spareH / ScrollStepTwips) + 1));
    m_hscScroll->setPageStep(qMax(1, int(pixelsToTwips(m_picScroll->width()) / ScrollStepTwips)));
    m_vscScroll->setPageStep(qMax(1, int(pixelsToTwips(m_picScroll->height()) / ScrollStepTwips)));
    scrollPicture();
}

void PrintPreviewWindow::scrollPicture()
{
    m_picTarget->move(-twipsToPixels(m_hscScroll->value() * ScrollStepTwips),
                      -twipsToPixels(m_vscScroll->value() * ScrollStepTwips));
}

void PrintPreviewWindow::closeEvent(QCloseEvent *event)
{
    if (m_kind != Schedule::Weekly) {
        try {
            PrintSettings(*m_db).savePreview(modeField(m_kind), fillField(m_kind),
                                             {m_print->orientation(), m_chkColWidth->isChecked()});
        } catch (const AppError &e) {
            m_state.dialogs()->error(e, QStringLiteral("Print Preview"));
        }
    }
    QWidget::closeEvent(event);
}
