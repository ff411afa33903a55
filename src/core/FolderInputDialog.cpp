#include "core/FolderInputDialog.h"

#include "core/Dialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The chooser opens where the box points; a leading "~" is the home folder, as the caller will
// take it once the box is closed.
QString startFolder(const QString &typed)
{
    const QString path = typed.trimmed();
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(QDir::homePath() + path.mid(1));
    return path;
}
} // namespace

FolderInputDialog::FolderInputDialog(Dialogs &dialogs, const QString &prompt, const QString &title,
                                     const QString &defaultText, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("dlgFolder"));
    setWindowTitle(title.isEmpty() ? Dialogs::ProgramTitle : title);
    auto *label = new QLabel(prompt, this);
    label->setWordWrap(true);
    m_folder = new QLineEdit(defaultText, this);
    m_folder->setObjectName(QStringLiteral("txtFolder"));
    m_folder->selectAll();
    label->setBuddy(m_folder);
    auto *browseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    browseButton->setObjectName(QStringLiteral("cmdBrowse"));
    browseButton->setAutoDefault(false); // Enter in the box is OK, not another chooser
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_folder, 1, 0);
    grid->addWidget(browseButton, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    setMinimumWidth(460);

    connect(browseButton, &QPushButton::clicked, this, &FolderInputDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString FolderInputDialog::text() const { return m_folder->text(); }

void FolderInputDialog::browse()
{
    if (const auto folder = m_dialogs.folderName(windowTitle(), startFolder(m_folder->text()))) {
        m_folder->setText(QDir::toNativeSeparators(*folder));
        m_folder->setFocus();
    }
}
