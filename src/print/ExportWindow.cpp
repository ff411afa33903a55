#include "print/ExportWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Station.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

const QString ExportWindow::Title = QStringLiteral("Export");

namespace {
// Where a file named without a folder goes.
QString exportFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}
} // namespace

ExportWindow::ExportWindow(AppState &state, QWidget *over, const QDate &shown)
    : QWidget(over, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    m_db = std::make_unique<Database>(sharedDbPath(state.paths()));
    m_exporter = std::make_unique<BookingExporter>(*m_db);

    auto named = [](QWidget *w, const char *name, const QString &accessible) {
        w->setObjectName(QLatin1String(name));
        w->setAccessibleName(accessible);
    };
    const QDate first = shown.isValid() ? shown : QDate::currentDate();
    m_txtFrom = new QDateEdit(first, this);
    named(m_txtFrom, "txtFrom", QStringLiteral("From"));
    m_txtTo = new QDateEdit(first.addDays(6), this);
    named(m_txtTo, "txtTo", QStringLiteral("To"));
    for (QDateEdit *d : {m_txtFrom, m_txtTo}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }

    m_cboTech = new QComboBox(this);
    named(m_cboTech, "cboTech", QStringLiteral("Technician"));
    m_cboTech->addItem(QStringLiteral("(any)"), 0);
    const QStringList names = m_exporter->techNames();
    for (int c = 1; c < names.size(); ++c)
        m_cboTech->addItem(names.at(c), c);

    m_optCsv = new QRadioButton(QStringLiteral("&CSV (spreadsheet)"), this);
    named(m_optCsv, "optCsv", QStringLiteral("CSV"));
    m_optIcs = new QRadioButton(QStringLiteral("&iCalendar"), this);
    named(m_optIcs, "optIcs", QStringLiteral("iCalendar"));
    m_optCsv->setChecked(true);
    m_chkPerTech = new QCheckBox(QStringLiteral("One calendar per &technician"), this);
    named(m_chkPerTech, "chkPerTech", QStringLiteral("One calendar per technician"));
    m_chkPerTech->setEnabled(false);

    m_txtFile = new QLineEdit(this);
    named(m_txtFile, "txtFile", QStringLiteral("File"));
    m_txtFile->setText(QDir::toNativeSeparators(QDir(exportFolder()).filePath(QStringLiteral("bookings.csv"))));
    m_txtFile->setMinimumWidth(320);
    auto *cmdBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));

    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setWordWrap(true);
    auto *cmdExport = new QPushButton(QStringLiteral("&Export"), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setDefault(true);
    auto *cmdClose = new QPushButton(QStringLiteral("C&lose"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto *formats = new QVBoxLayout;
    formats->addWidget(m_optCsv);
    formats->addWidget(m_optIcs);
    formats->addWidget(m_chkPerTech);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_txtFile, 1);
    fileRow->addWidget(cmdBrowse);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&From:"), m_txtFrom);
    form->addRow(QStringLiteral("T&o:"), m_txtTo);
    form->addRow(QStringLiteral("Tec&hnician:"), m_cboTech);
    form->addRow(QStringLiteral("Format:"), formats);
    form->addRow(QStringLiteral("Fil&e:"), fileRow);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExport);
    buttons->addWidget(cmdClose);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(m_lblStatus);
    outer->addLayout(buttons);
    adjustSize();
    if (over)
        move(over->mapToGlobal(QPoint(qMax(0, (over->width() - width()) / 2), 110)));

    connect(m_optIcs, &QRadioButton::toggled, this, &ExportWindow::formatChanged);
    connect(cmdBrowse, &QPushButton::clicked, this, &ExportWindow::browse);
    connect(cmdExport, &QPushButton::clicked, this, &ExportWindow::exportBookings);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

ExportWindow::~ExportWindow() = default;

ExportOrder ExportWindow::order() const
{
    ExportOrder o;
    o.format = m_optIcs->isChecked() ? ExportOrder::Calendar : ExportOrder::Csv;
    o.from = m_txtFrom->date();
    o.to = m_txtTo->date();
    o.tech = m_cboTech->currentData().toInt();
    o.perTech = o.format == ExportOrder::Calendar && m_chkPerTech->isChecked();
    const QString typed = QDir::fromNativeSeparators(m_txtFile->text().trimmed());
    // A bare name goes where the suggested file was: never into whatever folder the program runs in.
    if (!typed.isEmpty())
        o.file = QFileInfo(typed).isRelative() ? QDir(exportFolder()).filePath(typed) : typed;
    return o;
}

void ExportWindow::formatChanged()
{
    const bool calendar = m_optIcs->isChecked();
    m_chkPerTech->setEnabled(calendar);
    // The file's ending follows the format, unless the user chose another ending.
    QString file = m_txtFile->text();
    const QString from = calendar ? QStringLiteral(".csv") : QStringLiteral(".ics");
    const QString to = calendar ? QStringLiteral(".ics") : QStringLiteral(".csv");
    if (file.endsWith(from, Qt::CaseInsensitive)) {
        file.chop(from.size());
        m_txtFile->setText(file + to);
    }
}

void ExportWindow::browse()
{
    const bool calendar = m_optIcs->isChecked();
    const std::optional<QString> chosen = m_state.dialogs()->saveFileName(
        Title, m_txtFile->text(),
        calendar ? QStringLiteral("iCalendar files (*.ics)") : QStringLiteral("CSV files (*.csv)"));
    if (chosen)
        m_txtFile->setText(QDir::toNativeSeparators(*chosen));
}

bool ExportWindow::exportBookings()
{
    m_lblStatus->clear();
    const ExportOrder o = order();
    try {
        const QString why = m_exporter->problem(o);
        if (!why.isEmpty()) {
            m_state.dialogs()->info(why, Title);
            return false;
        }
        if (!o.perTech && QFileInfo::exists(o.file)
            && !m_state.dialogs()->ask(
                QStringLiteral("%1 already exists. Replace it?").arg(QDir::toNativeSeparators(o.file)), Title))
            return false;
        const QString done = BookingExporter::doneText(m_exporter->run(o));
        m_lblStatus->setText(done);
        m_state.dialogs()->info(done, Title);
        return true;
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, Title);
        return false;
    }
}

void ExportWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        exportBookings();
        return;
    }
    QWidget::keyPressEvent(event);
}
