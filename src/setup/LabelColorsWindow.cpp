#include "setup/LabelColorsWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Resizer.h"
#include "core/Station.h"
#include "core/WindowSwitcher.h"
#include "daypage/Legend.h"
#include "setup/LegendCaptions.h"
#include "setup/SetupMenuWindow.h"
#include "store/Database.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

LabelColorsWindow::LabelColorsWindow(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmLabelColors"));
    setWindowTitle(QStringLiteral("Label Colors"));
    new Resizer(this);
    m_db = std::make_unique<Database>(sharedDbPath(m_state.paths()));

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    // Typing or pasting "%" is refused: it would split the caption in the stored list.
    auto *noPercent = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^%]*")), this);
    const QStringList captions = LegendCaptions::read(*m_db);
    for (int i = 0; i < LegendCaptions::Count; ++i) {
        auto *img = new QLabel(this);
        img->setObjectName(QStringLiteral("Image1_%1").arg(i));
        img->setPixmap(Legend::swatch(i));
        img->setFixedSize(16, 16);
        auto *box = new QLineEdit(captions.at(i), this);
        box->setObjectName(QStringLiteral("Text1_%1").arg(i));
        box->setAccessibleName(QStringLiteral("Caption of colour %1").arg(i + 1));
        box->setValidator(noPercent);
        box->setMinimumWidth(260);
        box->installEventFilter(this);
        img->setAccessibleName(box->accessibleName());
        grid->addWidget(img, i, 0);
        grid->addWidget(box, i, 1);
        m_captionEdits.append(box);
    }
    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    m_save->setAutoDefault(true);
    m_save->setMinimumWidth(100);
    connect(m_save, &QPushButton::clicked, this, &LabelColorsWindow::cmdSave);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addWidget(m_save, 0, Qt::AlignHCenter);
    m_captionEdits.first()->setFocus();
}

LabelColorsWindow::~LabelColorsWindow() = default;

void LabelColorsWindow::cmdSave()
{
    QStringList captions;
    for (QLineEdit *box : m_captionEdits)
        captions << box->text();
    try {
        LegendCaptions::write(*m_db, captions);
    } catch (const AppError &e) {
        // The captions stay in the boxes, so the user can save again.
        m_state.dialogs()->error(e, QStringLiteral("Label Colors"));
    }
}

bool LabelColorsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        const int i = int(m_captionEdits.indexOf(static_cast<QLineEdit *>(watched)));
        if (i >= 0 && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            if (i + 1 < m_captionEdits.size())
                m_captionEdits.at(i + 1)->setFocus();
            else
                m_save->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LabelColorsWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (const QScreen *s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}

void LabelColorsWindow::closeEvent(QCloseEvent *event)
{
    if (!WindowSwitcher::closedByProgram(this))
        SetupMenuWindow::showAgain(m_state);
    event->accept();
}
