#pragma once
#include "store/AppError.h"
#include "store/Recordset.h"

#include <QLocale>
#include <QWidget>
#include <optional>

class Dialogs;
class QLineEdit;
class QPushButton;

// The housekeeping program's one window: deletes the day pages and bookings of a date range from
// the db.mdb of its folder and compacts the file.
class DownsizeWindow : public QWidget {
    Q_OBJECT
public:
    DownsizeWindow(const QString &programFolder, Dialogs &dialogs, const QLocale &locale = QLocale(),
                   QWidget *parent = nullptr);

    void deleteRange(); // "Delete"
    // False once the program has given up (the database could not be found).
    bool running() const { return m_running; }

    QString explanation() const;

    // The station that started this program from its main menu, which is not counted among the
    // stations that keep it from running.
    void setCallerStation(qint64 id) { m_callerStation = id; }

private:
    bool connectToDatabase();
    void release();
    void end();
    // A refusal (another station in the way) leaves the window open; any other failure ends it.
    void refused(const AppError &e);

    QString m_dbPath;
    Dialogs &m_dialogs;
    QLocale m_locale;           // whose short-date order the typed dates follow
    DataSource m_pageSource;    // day pages
    DataSource m_bookingSource; // booking records
    QLineEdit *m_from;
    QLineEdit *m_to;
    QPushButton *m_delete;
    bool m_running = true;
    qint64 m_callerStation = 0;
    std::optional<AppError> m_connectProblem; // why the last Connect failed
};
