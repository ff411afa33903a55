#include "maint/HelpWindow.h"

#include "core/AppState.h"
#include "core/Resizer.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

HelpWindow::HelpWindow(AppState &state, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    new Resizer(this);
    setWindowTitle(QStringLiteral("Help File"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setAccessibleName(QStringLiteral("Help text"));
    QPalette pal = m_text->palette();
    pal.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xEE)); // &HEEFFFF
    m_text->setPalette(pal);
    m_exit = new QPushButton(QStringLiteral("Exit"), this);
    m_exit->setObjectName(QStringLiteral("cmdExit"));
    m_exit->setAutoDefault(true);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    // Esc leaves a viewer, as anywhere on the desktop.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_exit, 0, Qt::AlignHCenter);
    resize(640, 480);

    m_data.setDatabaseName(state.paths().installDbPath());
    m_data.setRecordSource(QStringLiteral("tbl_Help"));
    m_data.refresh();
    m_text->setPlainText(m_data.recordset().text(QStringLiteral("Help")));
}

bool HelpWindow::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        m_exit->setFocus();
    return QWidget::event(e);
}
