#include "../daypage/DayPageFixture.h"
#include "SharedDb.h"
#include "TestDb.h"
#include "core/TimeText.h"
#include "print/BookingExporter.h"
#include "print/ExportWindow.h"
#include "store/Database.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

namespace {
// Every field of a booking record, in the table's order.
const QStringList Fields{"bDate",  "bCol",   "bRow",      "bTech",      "bTime",      "bName",    "bPhone",  "bAddress",
                         "bCity",  "bProv",  "bPostCode", "bVehicle",   "bMake",      "bMainten", "bMenu1",  "bMenu2",
                         "bMenu3", "bMenu4", "bMenu5",    "bInternal1", "bInternal2", "bOther1",  "bOther2", "bITime",
                         "bTTime", "bDrop",  "bProm",     "bPay",       "bComments"};
const QStringList Techs{"", "Mike Dunn", "Sue Park", "Tony Russo", "Raj Patel"};
const QDate First(2031, 3, 3);
const QDate Last(2031, 3, 9);

// A line of text far longer than a calendar line, with characters of two, three and four bytes
// wherever the folds may fall.
QString longLine()
{
    QString s;
    for (int i = 0; i < 40; ++i)
        s += QStringLiteral("é€🚗x");
    return s + QStringLiteral(" end of the long line");
}

using Booking = QMap<QString, QString>;

// The bookings of the week, awkward text and all, the fields as stored.
QVector<Booking> weekOfBookings()
{
    const QStringList names{"O'Brien, \"Red\" Łukasz", "Zoë Ångström", "Dupont; Jean-Luc", "Back\\slash Bob", "Plain"};
    const QStringList comments{"Waiting in the lounge.\nCall before 5, \"urgent\"; keep parts.", longLine(),
                               "Windows line ends\r\nsecond line", "", "A backslash \\\nthen a second line"};
    const QStringList hours{"1.5", "0", "12", "0.2", ""};
    Booking base;
    for (const QString &f : Fields)
        base[f] = QString();
    base.insert({{"bAddress", "12 Rue de l'Église, apt \"B\""},
                 {"bCity", "Montréal"},
                 {"bProv", "QC"},
                 {"bVehicle", "2019"},
                 {"bMake", "Mercedes-Benz"},
                 {"bMenu1", "Oil change; synthetic"},
                 {"bDrop", "08:00"},
                 {"bProm", "5:30 PM"},
                 {"bPay", "Credit Card"}});
    QVector<Booking> out;
    for (QDate d = First; d <= Last; d = d.addDays(1)) {
        for (int col = 1; col <= 4; ++col) {
            if ((First.daysTo(d) + col) % 3 == 0)
                continue; // some technicians free some days
            const int n = int(out.size());
            const int row = 6 + (n * 3 + col) % 18;
            Booking b = base;
            b.insert({{"bDate", d.toString(Qt::ISODate)},
                      {"bCol", QString::number(col)},
                      {"bRow", QString::number(row)},
                      {"bTech", Techs[col]},
                      {"bTime", rowLabel(QTime(8, 0).addSecs((row - 6) * 30 * 60))},
                      {"bName", names[n % names.size()] + QString::number(n)},
                      {"bPhone", QStringLiteral("(905) 555-01%1").arg(n, 2, 10, QLatin1Char('0'))},
                      {"bMainten", n % 4 == 1 ? QString() : QStringLiteral("Brakes, front and rear")},
                      {"bITime", hours[n % hours.size()] + QStringLiteral("%0.5%%%%%%%%%")},
                      {"bTTime", hours[n % hours.size()]},
                      {"bComments", comments[n % comments.size()]}});
            out << b;
        }
    }
    return out;
}

void insert(Database &db, const Booking &b)
{
    QStringList quoted, marks;
    QVariantList binds;
    for (const QString &f : Fields) {
        quoted << QLatin1Char('"') + f + QLatin1Char('"');
        marks << QStringLiteral("?");
        binds << (f == QLatin1String("bCol") || f == QLatin1String("bRow") ? QVariant(b[f].toInt()) : QVariant(b[f]));
    }
    db.execute(QStringLiteral("INSERT INTO \"tbl_Job\" (%1) VALUES (%2)").arg(quoted.join(','), marks.join(',')),
               binds);
}

// What the CSV holds for a stored field: times of day in 24-hour hh:mm.
QString csvValue(const Booking &b, const QString &f)
{
    if (f == QLatin1String("bTime") || f == QLatin1String("bDrop") || f == QLatin1String("bProm"))
        return parseTimeText(b[f]).toString(QStringLiteral("HH:mm"));
    return b[f];
}

// The file read back by Python's csv module in strict mode, as rows of fields.
QVector<QStringList> readByPython(const QString &file, QString &error)
{
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "data = open(sys.argv[1], 'rb').read()\n"
                            "assert data.endswith(b'\\r\\n'), 'last record not ended by CRLF'\n"
                            "rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8', errors='strict'), "
                            "strict=True))\n"
                            "print(json.dumps(rows))\n"),
             file});
    p.waitForFinished(-1);
    error = QString::fromUtf8(p.readAllStandardError());
    QVector<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue &f : row.toArray())
            fields << f.toString();
        rows << fields;
    }
    return rows;
}

// An event as read back: its properties by name, TEXT values unescaped.
using Event = QMap<QString, QString>;

// A strict reading of an iCalendar file: every line at most 75 octets and ended by CRLF, valid
// UTF-8, BEGIN and END nested, VERSION and PRODID, each event with one UID, DTSTAMP, DTSTART
// and DTEND (after the start), UIDs unique, TEXT values with nothing unescaped. Returns what is
// wrong, empty when nothing is.
QString checkCalendar(const QByteArray &bytes, QVector<Event> &events, QString *calendarName = nullptr)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8(bytes);
    if (utf8.hasError() || !bytes.endsWith("\r\n"))
        return QStringLiteral("not UTF-8 text ended by CRLF");
    QList<QByteArray> physical = bytes.split('\n');
    physical.removeLast();
    QStringList lines;
    for (const QByteArray &raw : std::as_const(physical)) {
        const QByteArray line = raw.chopped(1);
        if (!raw.endsWith('\r') || line.contains('\r') || line.size() > 75 || (lines.isEmpty() && line.startsWith(' ')))
            return QStringLiteral("bad line break or %1 octets: %2").arg(line.size()).arg(QString::fromUtf8(raw));
        if (line.startsWith(' ') || line.startsWith('\t'))
            lines.last() += QString::fromUtf8(line.mid(1));
        else
            lines << QString::fromUtf8(line);
    }
    static const QRegularExpression contentLine(QStringLiteral("^([A-Za-z0-9-]+)((?:;[^:]*)?):(.*)$"));
    static const QRegularExpression floating(QStringLiteral("^\\d{8}T\\d{6}$"));
    static const QRegularExpression utc(QStringLiteral("^\\d{8}T\\d{6}Z$"));
    const QStringList textProps{"SUMMARY", "DESCRIPTION", "X-WR-CALNAME"};
    QStringList nesting;
    QMap<QString, int> calendarProps;
    QSet<QString> uids;
    Event event;
    for (const QString &line : std::as_const(lines)) {
        const QRegularExpressionMatch m = contentLine.match(line);
        if (!m.hasMatch())
            return QStringLiteral("not a content line: ") + line;
        const QString name = m.captured(1).toUpper();
        QString value = m.captured(3);
        if (textProps.contains(name)) {
            QString plain;
            for (int i = 0; i < value.size(); ++i) {
                const QChar c = value.at(i);
                if (c == QLatin1Char(';') || c == QLatin1Char(','))
                    return QStringLiteral("unescaped %1 in %2").arg(c).arg(line);
                if (c != QLatin1Char('\\')) {
                    plain += c;
                    continue;
                }
                const QChar next = i + 1 < value.size() ? value.at(i + 1) : QChar();
                if (next == QLatin1Char('n') || next == QLatin1Char('N'))
                    plain += QLatin1Char('\n');
                else if (next == QLatin1Char('\\') || next == QLatin1Char(';') || next == QLatin1Char(','))
                    plain += next;
                else
                    return QStringLiteral("bad escape in ") + line;
                ++i;
            }
            value = plain;
        }
        if (name == QLatin1String("BEGIN")) {
            if (nesting.isEmpty() != (value == QLatin1String("VCALENDAR")))
                return QStringLiteral("BEGIN:%1 out of place").arg(value);
            nesting << value;
            if (value == QLatin1String("VEVENT"))
                event = Event();
            continue;
        }
        if (name == QLatin1String("END")) {
            if (nesting.isEmpty() || nesting.takeLast() != value)
                return QStringLiteral("END:%1 without its BEGIN").arg(value);
            if (value == QLatin1String("VEVENT")) {
                for (const char *required : {"UID", "DTSTAMP", "DTSTART", "DTEND", "SUMMARY"})
                    if (!event.contains(QLatin1String(required)))
                        return QStringLiteral("event without ") + QLatin1String(required);
                // The stamp in UTC, the booking's times floating, the end after the start.
                if (!utc.match(event["DTSTAMP"]).hasMatch() || !floating.match(event["DTSTART"]).hasMatch()
                    || !floating.match(event["DTEND"]).hasMatch() || event["DTEND"] <= event["DTSTART"])
                    return QStringLiteral("bad times in ") + event["UID"];
                if (uids.contains(event["UID"]))
                    return QStringLiteral("UID twice: ") + event["UID"];
                uids << event["UID"];
                events << event;
            }
            if (nesting.isEmpty() && &line != &lines.last())
                return QStringLiteral("lines after END:VCALENDAR");
            continue;
        }
        if (nesting.isEmpty())
            return QStringLiteral("outside the calendar: ") + line;
        if (nesting.last() == QLatin1String("VEVENT")) {
            if (event.contains(name))
                return QStringLiteral("%1 twice in an event").arg(name);
            event[name] = value;
        } else if (nesting.last() == QLatin1String("VCALENDAR")) {
            ++calendarProps[name];
            if (name == QLatin1String("VERSION") && value != QLatin1String("2.0"))
                return QStringLiteral("VERSION ") + value;
            if (name == QLatin1String("X-WR-CALNAME") && calendarName)
                *calendarName = value;
        }
    }
    if (!nesting.isEmpty())
        return QStringLiteral("BEGIN:%1 never ended").arg(nesting.last());
    if (calendarProps.value(QStringLiteral("VERSION")) != 1 || calendarProps.value(QStringLiteral("PRODID")) != 1)
        return QStringLiteral("VERSION and PRODID must appear once each");
    return QString();
}

// The bookings of one technician from a date on.
QVector<Booking> bookingsOf(const QVector<Booking> &all, int col, const QDate &from = First)
{
    QVector<Booking> out;
    for (const Booking &b : all)
        if (b["bCol"].toInt() == col && b["bDate"] >= from.toString(Qt::ISODate))
            out << b;
    return out;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString stamp(const QDate &d, const QTime &t)
{
    return d.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('T') + t.toString(QStringLiteral("HHmmss"));
}
} // namespace

// Exports of a week of bookings with awkward text, read back as a spreadsheet program and a
// calendar program would, on both engines.
class ExportTest : public QObject {
    Q_OBJECT
    bool m_onServer;
    TestFolder m_folder;
    QString m_db;
    QString m_station;
    QVector<Booking> m_bookings; // in the range, by date, column and row

public:
    explicit ExportTest(bool onServer) : m_onServer(onServer) {}

private:
    // Each booking's event as the calendar must give it back.
    void compareEvents(const QVector<Event> &events, const QVector<Booking> &bookings)
    {
        QCOMPARE(events.size(), bookings.size());
        for (int i = 0; i < bookings.size(); ++i) {
            const Booking &b = bookings.at(i);
            const Event &e = events.at(i);
            const QDate date = QDate::fromString(b["bDate"], Qt::ISODate);
            const QTime start = parseTimeText(b["bTime"]);
            QCOMPARE(e["DTSTART"], stamp(date, start));
            // The hours the page shades: none still holds the slot, a little at least half an
            // hour, no more than nine.
            const double hours = b["bTTime"].toDouble();
            const int minutes = hours == 0 ? 30 : hours < 0.5 ? 30 : hours > 9 ? 540 : int(hours * 60);
            const QDateTime end = QDateTime(date, start).addSecs(minutes * 60); // may run past midnight
            QCOMPARE(e["DTEND"], stamp(end.date(), end.time()));
            const QString job = b["bMainten"].isEmpty() ? b["bMenu1"] : b["bMainten"];
            QCOMPARE(e["SUMMARY"], b["bName"] + QStringLiteral(" - ") + job);
            const QString description = e["DESCRIPTION"];
            QString comments = b["bComments"];
            comments.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            for (const QString &part : {b["bPhone"], b["bMenu1"], b["bAddress"], b["bCity"], comments})
                QVERIFY2(description.contains(part), qPrintable(part + QStringLiteral(" not in ") + description));
            QVERIFY(description.contains(b["bVehicle"] + QLatin1Char(' ') + b["bMake"]));
        }
    }

private slots:
    void initTestCase()
    {
        m_db = seedShared(m_folder, m_onServer);
        m_station = m_folder.file(QStringLiteral("station"));
        QVERIFY(QDir().mkpath(m_station));
        QVERIFY(QFile::copy(TestFolder::buildFile(QStringLiteral("dbn.mdb")),
                            QDir(m_station).filePath(QStringLiteral("dbn.mdb"))));
        Database(QDir(m_station).filePath(QStringLiteral("dbn.mdb")))
            .execute(QStringLiteral("UPDATE tbl_netset SET server = ?, net = 1, \"Main\" = 1"), {m_folder.path()});
        Database db(m_db);
        db.execute(QStringLiteral("DELETE FROM \"tbl_Job\""));
        m_bookings = weekOfBookings();
        for (const Booking &b : std::as_const(m_bookings))
            insert(db, b);
        // Outside the range, and a record without a customer: neither is exported.
        Booking before = m_bookings.first();
        before["bDate"] = First.addDays(-1).toString(Qt::ISODate);
        insert(db, before);
        Booking unnamed = m_bookings.first();
        unnamed["bRow"] = QStringLiteral("25");
        unnamed["bName"] = QStringLiteral("  ");
        insert(db, unnamed);
        std::sort(m_bookings.begin(), m_bookings.end(), [](const Booking &a, const Booking &b) {
            return std::make_tuple(a["bDate"], a["bCol"].toInt(), a["bRow"].toInt())
                   < std::make_tuple(b["bDate"], b["bCol"].toInt(), b["bRow"].toInt());
        });
    }

    void csvAndCalendarGiveBackEveryStoredBooking()
    {
        Database db(m_db);
        BookingExporter exporter(db);

        const QString csvFile = m_folder.file(QStringLiteral("week.csv"));
        BookingExporter::Result done = exporter.run({ExportOrder::Csv, First, Last, 0, false, csvFile});
        QCOMPARE(done.bookings, int(m_bookings.size()));
        QString error;
        const QVector<QStringList> rows = readByPython(csvFile, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(rows.size(), m_bookings.size() + 1);
        QCOMPARE(rows.first(), Fields);
        for (int i = 0; i < m_bookings.size(); ++i)
            for (int f = 0; f < Fields.size(); ++f)
                QCOMPARE(rows.at(i + 1).value(f), csvValue(m_bookings.at(i), Fields.at(f)));

        const QString icsFile = m_folder.file(QStringLiteral("week.ics"));
        done = exporter.run({ExportOrder::Calendar, First, Last, 0, false, icsFile});
        QCOMPARE(done.files, QStringList{icsFile});
        QVector<Event> all;
        error = checkCalendar(contents(icsFile), all);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        compareEvents(all, m_bookings);

        // One calendar per technician: every technician has a file named for them, a free one too,
        // and each booking keeps its UID, so a calendar imported again updates its events.
        db.execute(QStringLiteral("DELETE FROM \"tbl_Job\" WHERE \"bCol\" = 4"));
        done = exporter.run({ExportOrder::Calendar, First, Last, 0, true, icsFile});
        QCOMPARE(done.bookings, int(m_bookings.size() - bookingsOf(m_bookings, 4).size()));
        QCOMPARE(done.files.size(), 4);
        QSet<QString> seen;
        for (int col = 1; col <= 4; ++col) {
            const QString file = done.files.at(col - 1);
            QVERIFY2(QFileInfo(file).fileName().contains(QString(Techs[col]).replace(' ', '_')), qPrintable(file));
            QVector<Event> events;
            QString name;
            error = checkCalendar(contents(file), events, &name);
            QVERIFY2(error.isEmpty(), qPrintable(file + QStringLiteral(": ") + error));
            QCOMPARE(name, Techs[col]);
            compareEvents(events, col == 4 ? QVector<Booking>() : bookingsOf(m_bookings, col));
            for (const Event &e : std::as_const(events))
                seen << e["UID"];
        }
        for (const Event &e : std::as_const(all))
            QCOMPARE(seen.contains(e["UID"]), !e["DESCRIPTION"].contains(QStringLiteral("Technician: Raj Patel")));
        // Put back for the other tests.
        for (const Booking &b : std::as_const(m_bookings))
            if (b["bCol"] == QLatin1String("4"))
                insert(db, b);
    }

    void commandLineExportsWithoutADisplay()
    {
        auto torvane = [](const QStringList &args, QString &out, QString &err) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            p.setProcessEnvironment(env);
            p.start(TestFolder::buildFile(QStringLiteral("torvane")), args);
            p.waitForFinished(-1);
            out = QString::fromUtf8(p.readAllStandardOutput());
            err = QString::fromUtf8(p.readAllStandardError());
            return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        };
        const QString file = m_folder.file(QStringLiteral("tech2.ics"));
        QString out, err;
        const int code = torvane({"--export", "ics", "--from", First.toString(Qt::ISODate), "--to",
                                  Last.toString(Qt::ISODate), "--tech", "2", "--out", file, "--folder", m_station},
                                 out, err);
        QVERIFY2(code == 0, qPrintable(err));
        QCOMPARE(err, QString());
        const QVector<Booking> own = bookingsOf(m_bookings, 2);
        QCOMPARE(out.trimmed(), QStringLiteral("%1 bookings exported to %2.").arg(own.size()).arg(file));
        QVector<Event> events;
        const QString error = checkCalendar(contents(file), events);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        compareEvents(events, own);

        // Bad arguments are told with the usage, and nothing is written.
        const QString refused = m_folder.file(QStringLiteral("refused.csv"));
        for (const QStringList &args :
             {QStringList{"--export", "xls", "--from", "2031-03-03", "--to", "2031-03-09"},
              QStringList{"--export", "csv", "--from", "3/3/2031", "--to", "2031-03-09", "--tech", "2"},
              QStringList{"--export", "csv", "--from", "2031-03-03", "--to", "2031-03-09", "--tech", "9"}}) {
            QCOMPARE(torvane(args + QStringList{"--out", refused, "--folder", m_station}, out, err), 2);
            QVERIFY2(err.startsWith(QStringLiteral("torvane: ")) && err.contains(QStringLiteral("--export <format>")),
                     qPrintable(err));
            QVERIFY(!QFile::exists(refused));
        }
    }
};
class ExportTestFile : public ExportTest {
    Q_OBJECT
public:
    ExportTestFile() : ExportTest(false) {}
};
class ExportTestPg : public ExportTest {
    Q_OBJECT
public:
    ExportTestPg() : ExportTest(true) {}
};
static testreg::AddOnBothEngines<ExportTestFile, ExportTestPg> s_export("ExportTest", "ExportTestPg");

// The export window over the day page, driven as a user would.
class ExportWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Page, Open reads the typed date in the user's order of day and month.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void exportWindowWritesTheChosenBookingsAndSaysHowMany()
    {
        DayPageFixture f;
        QVERIFY(f.ready());
        f.db->execute(QStringLiteral("DELETE FROM \"tbl_Job\""));
        const QVector<Booking> bookings = weekOfBookings();
        for (const Booking &b : bookings)
            insert(*f.db, b);
        f.open(First.addDays(1));
        QAction *menu = f.w->findChild<QAction *>(QStringLiteral("mnuExport"));
        QVERIFY(menu && menu->isEnabled());
        menu->trigger();
        auto *window = f.w->findChild<QWidget *>(QStringLiteral("frmExport"));
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Export"));
        // The range starts at the page shown.
        QCOMPARE(window->findChild<QDateEdit *>(QStringLiteral("txtFrom"))->date(), First.addDays(1));

        window->findChild<QDateEdit *>(QStringLiteral("txtTo"))->setDate(Last);
        auto *tech = window->findChild<QComboBox *>(QStringLiteral("cboTech"));
        QCOMPARE(tech->count(), 5);
        tech->setCurrentIndex(tech->findText(QStringLiteral("Tony Russo")));
        auto *perTech = window->findChild<QCheckBox *>(QStringLiteral("chkPerTech"));
        QVERIFY(!perTech->isEnabled());
        window->findChild<QRadioButton *>(QStringLiteral("optIcs"))->setChecked(true);
        QVERIFY(perTech->isEnabled());
        // The file's ending follows the format; Browse puts the chosen file in the box.
        QVERIFY(window->findChild<QLineEdit *>(QStringLiteral("txtFile"))->text().endsWith(QStringLiteral(".ics")));
        const QString file = f.folder.file(QStringLiteral("tony.ics"));
        f.dialogs.answerFile(file);
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdBrowse")), Qt::LeftButton);
        QCOMPARE(window->findChild<QLineEdit *>(QStringLiteral("txtFile"))->text(), file);
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdExport")), Qt::LeftButton);

        const QVector<Booking> own = bookingsOf(bookings, 3, First.addDays(1));
        QVERIFY(own.size() > 1);
        QCOMPARE(f.dialogs.last().text, QStringLiteral("%1 bookings exported to %2.").arg(own.size()).arg(file));
        QVector<Event> events;
        const QString error = checkCalendar(contents(file), events);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(events.size(), own.size());

        // A file that cannot be written (its folder is a file) is told by name.
        window->findChild<QLineEdit *>(QStringLiteral("txtFile"))->setText(file + QStringLiteral("/inside.ics"));
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cmdExport")), Qt::LeftButton);
        QVERIFY2(f.dialogs.last().text.contains(file + QStringLiteral("/inside.ics")),
                 qPrintable(f.dialogs.last().text));
    }
};
TORVANE_TEST(ExportWindowTest)
#include "ExportTest.moc"
