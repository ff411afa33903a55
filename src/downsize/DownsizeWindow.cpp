#include "downsize/DownsizeWindow.h"

#include "core/DateText.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/WorkWithProgress.h"
#include "downsize/Downsizer.h"
#include "store/BookingStore.h"
#include "store/Database.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
// "1 page", "3 bookings".
QString counted(int n, const char *noun)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(noun)).arg(n == 1 ? QString() : QStringLiteral("s"));
}
} // namespace

QString DownsizeWindow::explanation() const
{
    const QString example = DateText::shortDate(QDate(1999, 12, 31), m_locale);
    return QStringLiteral(
               "This utility deletes the day pages and the booking records of the dates you give, from the first date "
               "to the last one, both included, and then compacts the shared database file db.mdb.\n\n"
               "Keep the database small: below 100 MB the schedule stays fast on every station, and below 1.44 MB a "
               "back-up still fits on a floppy disk.\n\n"
               "Before you delete anything, back up your database from the main program (Main Menu, entry 4, "
               "Back-up / Restore Files) and keep that copy as an archive. Every other station must close the "
               "program while this utility runs.\n\n"
               "Type both dates in your system's short-date format, e.g. %1. Dates before 01/01/1999 hold the "
               "demonstration data and cannot be deleted.\n\n"
               "Deleted records are not lost for good: restore the archived database to read them again.")
        .arg(example);
}

DownsizeWindow::DownsizeWindow(const QString &programFolder, Dialogs &dialogs, const QLocale &locale, QWidget *parent)
    : QWidget(parent), m_dbPath(Database::sharedIn(programFolder)), m_dialogs(dialogs), m_locale(locale)
{
    setObjectName(QStringLiteral("frmDownsize"));
    setWindowTitle(QStringLiteral("Downsize Datafile"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    const QFont font(QStringLiteral("Arial"), 10);
    auto *lblFrom = new QLabel(QStringLiteral("Delete files -    From:"), this);
    lblFrom->setObjectName(QStringLiteral("Label1_0"));
    auto *lblTo = new QLabel(QStringLiteral("To:"), this);
    lblTo->setObjectName(QStringLiteral("Label1_1"));
    auto *lblBoth = new QLabel(QStringLiteral("(Both dates inclusive)"), this);
    lblBoth->setObjectName(QStringLiteral("Label1_2"));
    m_from = new QLineEdit(this);
    m_from->setObjectName(QStringLiteral("Text1_0"));
    m_to = new QLineEdit(this);
    m_to->setObjectName(QStringLiteral("Text1_1"));
    lblFrom->setBuddy(m_from);
    lblTo->setBuddy(m_to);
    for (QWidget *w : std::initializer_list<QWidget *>{lblFrom, lblTo, lblBoth, m_from, m_to})
        w->setFont(font);
    for (QLineEdit *e : {m_from, m_to})
        e->setMaximumWidth(130);

    auto *text2 = new QPlainTextEdit(explanation(), this);
    text2->setObjectName(QStringLiteral("Text2"));
    text2->setReadOnly(true);
    text2->setFont(font);
    text2->setAccessibleName(QStringLiteral("About this utility"));
    QPalette pal = text2->palette();
    pal.setColor(QPalette::Base, palette().color(QPalette::Window));
    text2->setPalette(pal);

    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_delete->setObjectName(QStringLiteral("cmdDelete"));
    auto *exit = new QPushButton(QStringLiteral("Exit"), this);
    exit->setObjectName(QStringLiteral("cmdExit"));
    for (QPushButton *b : {m_delete, exit}) {
        b->setAutoDefault(true);
        b->setMinimumWidth(96);
        b->setFont(font);
    }
    connect(m_delete, &QPushButton::clicked, this, &DownsizeWindow::deleteRange);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(22, 20, 22, 18);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(lblFrom, 0, 0, Qt::AlignRight);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(lblTo, 0, 2, Qt::AlignRight);
    grid->addWidget(m_to, 0, 3);
    grid->addWidget(lblBoth, 0, 4);
    grid->setColumnStretch(5, 1);
    grid->addWidget(text2, 1, 0, 1, 6);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_delete);
    buttons->addWidget(exit);
    grid->addLayout(buttons, 2, 0, 1, 6);
    grid->setRowStretch(1, 1);
    resize(640, 380);
    m_from->setFocus();
}

bool DownsizeWindow::connectToDatabase()
{
    try {
        m_pageSource.setDatabaseName(m_dbPath);
        m_pageSource.setRecordSource(QStringLiteral("tbl_Appt"));
        m_pageSource.refresh();
        m_bookingSource.setDatabaseName(m_dbPath);
        m_bookingSource.setRecordSource(BookingStore::Table);
        m_bookingSource.refresh();
        return true;
    } catch (const AppError &e) {
        // The caller tells the user where it matters; the log keeps the engine's reason.
        DiagnosticLog::passedOver(QStringLiteral("Connect"), e);
        m_connectProblem = e.description();
        return false;
    }
}

void DownsizeWindow::release()
{
    for (DataSource *ds : {&m_pageSource, &m_bookingSource}) {
        ds->setDatabaseName(QString());
        ds->refresh();
    }
}

void DownsizeWindow::end()
{
    m_running = false;
    close();
}

void DownsizeWindow::deleteRange()
{
    if (!connectToDatabase()) {
        if (Database::isConnectionFile(m_dbPath))
            m_dialogs.message(QStringLiteral("Can't reach the database named in %1: %2")
                                  .arg(QDir::toNativeSeparators(m_dbPath), m_connectProblem),
                              QStringLiteral("Error!"), Dialogs::Ok);
        else
            m_dialogs.message(QStringLiteral("Can't find datafile db.mdb! Please check that downsize.exe is placed in "
                                             "the same folder as Torvane's db.mdb file."),
                              QStringLiteral("Error!"), Dialogs::Ok);
        end();
        return;
    }
    const Downsizer::Check check = Downsizer::checkRange(m_from->text(), m_to->text(), m_locale);
    if (!check.ok) {
        if (!check.text.isEmpty())
            m_dialogs.message(check.text, check.title, Dialogs::Ok);
        (check.focus == Downsizer::Check::To ? m_to : m_from)->setFocus();
        return;
    }
    // The years written out in full: what is deleted is told without doubt.
    QString format = m_locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    const QString range =
        QStringLiteral("from %1 to %2").arg(m_locale.toString(check.from, format), m_locale.toString(check.to, format));
    try {
        // Today's and later pages are work in hand: counted first, and deleted only when the user says so.
        const QDate today = QDate::currentDate();
        const Downsizer::Contents held = Downsizer(m_dbPath, m_callerStation).contents(check.from, check.to, today);
        if (check.to >= today && !held.isEmpty()) {
            const QString question = QStringLiteral("This deletes %1 and %2 %3, %4 of them from today on. Delete them?")
                                         .arg(counted(held.pages, "page"), counted(held.bookings, "booking"), range)
                                         .arg(held.fromToday);
            if (m_dialogs.message(question, QStringLiteral("Downsize File"), Dialogs::YesNoDefaultNo, Dialogs::Question)
                != Dialogs::AnsYes)
                return;
        }
    } catch (const AppError &e) {
        refused(e);
        return;
    }
    // Our own hold on the file goes before the engine locks and compacts it.
    release();
    try {
        // On a thread of its own under a bar: the window keeps drawing through a long compaction.
        Downsizer::Result r;
        WorkWithProgress::run(this, QStringLiteral("Downsize File"), QStringLiteral("Deleting and compacting:"),
                              QStringLiteral("steps"), [&](const WorkWithProgress::Progress &progress) {
                                  r = Downsizer(m_dbPath, m_callerStation).run(check.from, check.to, progress);
                              });
        connectToDatabase();
        const bool deleted = r.pages > 0 || r.bookings > 0;
        const QString what =
            QStringLiteral("%1 and %2 %3").arg(counted(r.pages, "page"), counted(r.bookings, "booking"), range);
        const QString notCompacted =
            r.compactionRefused.isEmpty()
                ? QStringLiteral("the file could not be compacted because another station started using the database. "
                                 "Close the program on every station and press Delete again to compact it.")
                : QStringLiteral("the tables could not be compacted. %1 The owner of the database can compact them "
                                 "with VACUUM FULL.")
                      .arg(r.compactionRefused);
        QString text;
        if (deleted && r.compacted)
            text = QStringLiteral("Downsize file operation successful! %1 were deleted.").arg(what);
        else if (deleted)
            text = QStringLiteral("%1 were deleted, but %2").arg(what, notCompacted);
        else if (r.compacted)
            text = QStringLiteral("Nothing was deleted: there are no pages or bookings %1. The file was compacted.")
                       .arg(range);
        else
            text = QStringLiteral("Nothing was deleted: there are no pages or bookings %1, and %2")
                       .arg(range, notCompacted);
        m_dialogs.message(text, QStringLiteral("Downsize File"), Dialogs::Ok);
    } catch (const AppError &e) {
        connectToDatabase();
        refused(e);
    }
}

void DownsizeWindow::refused(const AppError &e)
{
    if (e.number() == Downsizer::InUse) {
        m_dialogs.message(e.description()
                              + QStringLiteral(" Close the program on every station, then press "
                                               "Delete again. Nothing was deleted."),
                          QStringLiteral("Downsize File"), Dialogs::Ok);
        return;
    }
    // No trap of its own: the description, then the program ends. The transaction was rolled
    // back, so nothing is half deleted.
    m_dialogs.message(e.description(), QString(), Dialogs::Ok);
    end();
}
