// The shipped databases built from data/: complete schema, a coherent office, and demonstration
// pages whose texts, hours and colours agree with their booking records.
#include "TestDb.h"
#include "TestRegistry.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr qlonglong LunchColor = 0xC0C0C0;
constexpr int FirstSlotRow = 6;

// A read-only connection on a built database, closed with the object.
class SeedDb {
public:
    explicit SeedDb(const QString &file) : m_name(QStringLiteral("seed-") + file + QString::number(quintptr(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(TestFolder::buildFile(file));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            qFatal("cannot open %s: %s", qPrintable(file), qPrintable(db.lastError().text()));
    }
    ~SeedDb() { QSqlDatabase::removeDatabase(m_name); }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name); }

    QList<QSqlRecord> rows(const QString &sql) const
    {
        QSqlQuery q(db());
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        QList<QSqlRecord> out;
        while (q.next())
            out.append(q.record());
        return out;
    }
    QSqlRecord only(const QString &table) const
    {
        const auto all = rows(QStringLiteral("SELECT * FROM ") + table);
        return all.size() == 1 ? all.first() : QSqlRecord();
    }

private:
    QString m_name;
};

using Page = QList<QStringList>; // page text rows from grid row 2, cells from column 1

Page parsePage(const QString &text)
{
    Page page;
    for (const QString &row : text.split(QLatin1Char('\r')))
        page.append(row.split(QLatin1Char('\t')));
    return page;
}

QString cell(const Page &p, int gridRow, int col) { return p.value(gridRow - 2).value(col - 1); }

// Minutes after midnight of a settings time such as "08:00 AM"; -1 if malformed.
int minutesOf(const QString &t)
{
    if (t.size() != 8 || t[2] != QLatin1Char(':') || t[5] != QLatin1Char(' '))
        return -1;
    const int h = t.left(2).toInt(), m = t.mid(3, 2).toInt();
    const QString ap = t.mid(6);
    if (h < 1 || h > 12 || m > 59 || (ap != QLatin1String("AM") && ap != QLatin1String("PM")))
        return -1;
    return (h % 12 + (ap == QLatin1String("PM") ? 12 : 0)) * 60 + m;
}

QString timeText(int minutes)
{
    const int h24 = minutes / 60 % 24, h12 = h24 % 12 == 0 ? 12 : h24 % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(h12, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .arg(h24 < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

// The day page's rows: slot labels from the opening time, the last one reaching the closing time.
struct Layout {
    int techs = 0;
    QStringList labels; // label of grid row 6 + i, without the trailing blank
    int open = 0;
    int lastRow() const { return FirstSlotRow + int(labels.size()); } // the extra row
    int pageLines() const { return lastRow() - 1; }                   // rows 2..last
};

Layout layoutOf(const QSqlRecord &r)
{
    Layout l;
    l.techs = r.value(QStringLiteral("Listno")).toInt();
    l.open = minutesOf(r.value(QStringLiteral("open")).toString());
    const int close = minutesOf(r.value(QStringLiteral("Close")).toString());
    const int slot = r.value(QStringLiteral("timeslot")).toInt();
    if (l.open < 0 || close < 0 || slot <= 0)
        return l;
    for (int t = l.open;; t += slot) {
        l.labels.append(timeText(t));
        if (t >= close)
            break;
    }
    return l;
}

QStringList percentList(const QString &text) { return text.split(QLatin1Char('%')); }

// Items of a list with a "%" after every item; empty when the final "%" is missing.
QStringList terminatedItems(const QString &text)
{
    if (!text.endsWith(QLatin1Char('%')))
        return {};
    QStringList items = percentList(text);
    items.removeLast();
    return items;
}

bool isNumber(const QString &s)
{
    bool ok = false;
    s.toDouble(&ok);
    return ok;
}

QString numberText(double v) { return QString::number(v, 'g', 7); }

const QStringList WeekdayFields{QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"),
                                QStringLiteral("Thu"), QStringLiteral("Fri"), QStringLiteral("Sat"),
                                QStringLiteral("Sun")};

// Closed flag of a template field: chk1 is Sunday, chk2 Monday ... chk7 Saturday.
QString closedFlagOf(int weekdayIndex) // 0 = Mon
{
    return QStringLiteral("chk") + QString::number((weekdayIndex + 1) % 7 + 1);
}

} // namespace

class SeedSchemaTest : public QObject {
    Q_OBJECT
private slots:
    void everyTableHasItsFields_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("fields");
        QTest::newRow("tbl_netset") << "dbn.mdb"
                                    << "tbl_netset"
                                    << "server net Main";
        QTest::newRow("tbl_Setup")
            << "db.mdb"
            << "tbl_Setup"
            << "location open Close lunchstart lunchclose timeslot RHeight Listno Sites Names cwidth "
               "Skills Sun Mon Tue Wed Thu Fri Sat chk1 chk2 chk3 chk4 chk5 chk6 chk7 FixedMemo Bookno "
               "Lblcolors Spare Printmode FillPage dMode dFillPage PWidth DWidth Readme Licence";
        QTest::newRow("tbl_Setup2") << "db.mdb"
                                    << "tbl_Setup2"
                                    << "dMainten dTMainten dPMainten dMenu dTMenu dPMenu dInternal "
                                       "dTInternal dPInternal dVehicle dMake dCity dProv dCOthers dPOthers";
        QTest::newRow("tbl_Appt") << "db.mdb"
                                  << "tbl_Appt"
                                  << "caldate location open Close timeslot lunchstart lunchclose Listno "
                                     "Sites Names Skills Spare Data BlankPage Color Memo Clinic";
        QTest::newRow("tbl_Job")
            << "db.mdb"
            << "tbl_Job"
            << "bDate bCol bRow bTech bTime bName bPhone bAddress bCity bProv bPostCode bVehicle bMake "
               "bMainten bMenu1 bMenu2 bMenu3 bMenu4 bMenu5 bInternal1 bInternal2 bOther1 bOther2 bITime "
               "bTTime bDrop bProm bPay bComments";
        QTest::newRow("tbl_Help") << "db.mdb"
                                  << "tbl_Help"
                                  << "Help";
    }
    void everyTableHasItsFields()
    {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QString, fields);
        SeedDb s(file);
        const QSqlRecord rec = s.db().record(table);
        QStringList present;
        for (int i = 0; i < rec.count(); ++i)
            present.append(rec.fieldName(i).toLower());
        QStringList missing;
        for (const QString &f : fields.split(QLatin1Char(' ')))
            if (!present.contains(f.toLower()))
                missing.append(f);
        QCOMPARE(missing.join(QLatin1Char(' ')), QString());
    }

    void templatesStandAtFieldPositionsThreeToNine()
    {
        SeedDb s(QStringLiteral("db.mdb"));
        const QSqlRecord rec = s.db().record(QStringLiteral("tbl_Setup"));
        QStringList atPositions;
        for (int i = 3; i <= 9; ++i)
            atPositions.append(rec.fieldName(i));
        QCOMPARE(atPositions, WeekdayFields);
    }
};
TORVANE_TEST(SeedSchemaTest)

class SeedSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void perTechnicianListsMatchTheCount()
    {
        SeedDb s(QStringLiteral("db.mdb"));
        const QSqlRecord r = s.only(QStringLiteral("tbl_Setup"));
        const int techs = r.value(QStringLiteral("Listno")).toInt();
        const QStringList sites = terminatedItems(r.value(QStringLiteral("Sites")).toString());
        const QStringList names = terminatedItems(r.value(QStringLiteral("Names")).toString());
        QCOMPARE(sites.size(), techs);
        QCOMPARE(names.size(), techs);
        QVERIFY(!names.contains(QString()));
        const QStringList widths = terminatedItems(r.value(QStringLiteral("cwidth")).toString());
        QCOMPARE(widths.size(), techs + 1);
        for (const QString &w : widths)
            QVERIFY2(w.toInt() >= 500 && w.toInt() <= 4000, qPrintable(w));

        const QStringList skills = percentList(r.value(QStringLiteral("Skills")).toString());
        QCOMPARE(skills.size(), techs); // joined: no trailing "%"
        static const QRegularExpression eleven(QStringLiteral("^[01]( [01]){10}$"));
        for (const QString &entry : skills)
            QVERIFY2(eleven.match(entry).hasMatch(), qPrintable(entry));
    }

    void weekdayTemplatesFitTheLayout_data()
    {
        QTest::addColumn<int>("day");
        for (int d = 0; d < 7; ++d)
            QTest::newRow(qPrintable(WeekdayFields[d])) << d;
    }
    void weekdayTemplatesFitTheLayout()
    {
        QFETCH(int, day);
        SeedDb s(QStringLiteral("db.mdb"));
        const QSqlRecord r = s.only(QStringLiteral("tbl_Setup"));
        const Layout l = layoutOf(r);
        const QString text = r.value(WeekdayFields[day]).toString();
        QVERIFY(!text.contains(QLatin1Char('\n')));
        const Page page = parsePage(text);
        QCOMPARE(page.size(), l.pageLines());
        for (const QStringList &row : page)
            QCOMPARE(row.size(), l.techs);

        const bool closed = r.value(closedFlagOf(day)).toBool();
        QCOMPARE(closed, day == 6); // closed on Sundays only
        for (int c = 1; c <= l.techs; ++c) {
            QVERIFY(isNumber(cell(page, 4, c)));
            QCOMPARE(cell(page, 4, c).toDouble() > 0, !closed);
        }
    }

    void lunchFillsTheLunchHourOnWorkingDaysOnly()
    {
        SeedDb s(QStringLiteral("db.mdb"));
        const QSqlRecord r = s.only(QStringLiteral("tbl_Setup"));
        const Layout l = layoutOf(r);
        const int from = minutesOf(r.value(QStringLiteral("lunchstart")).toString());
        const int to = minutesOf(r.value(QStringLiteral("lunchclose")).toString());
        for (int day = 0; day < 7; ++day) {
            const Page page = parsePage(r.value(WeekdayFields[day]).toString());
            for (int row = 2; row <= l.lastRow(); ++row) {
                const bool slot = row >= FirstSlotRow && row < l.lastRow();
                const int t = slot ? minutesOf(l.labels[row - FirstSlotRow]) : -1;
                const bool lunch = day < 6 && slot && t >= from && t < to;
                for (int c = 1; c <= l.techs; ++c)
                    QVERIFY2((cell(page, row, c) == QLatin1String("LUNCH")) == lunch,
                             qPrintable(QStringLiteral("%1 row %2 col %3").arg(WeekdayFields[day]).arg(row).arg(c)));
            }
        }
        // The noon row of a working day is lunch.
        QCOMPARE(cell(parsePage(r.value(QStringLiteral("Mon")).toString()), 14, 1), QStringLiteral("LUNCH"));
    }

    void vehicleYearsAreTheLatestModelYears()
    {
        SeedDb s(QStringLiteral("db.mdb"));
        const QStringList years =
            terminatedItems(s.only(QStringLiteral("tbl_Setup2")).value(QStringLiteral("dVehicle")).toString());
        QStringList expected;
        for (int y = QDate::currentDate().year() + 1; expected.size() < 21; --y)
            expected << QString::number(y);
        QCOMPARE(years, expected);
    }
};
TORVANE_TEST(SeedSettingsTest)

class SeedDemoTest : public QObject {
    Q_OBJECT
private:
    struct Booking {
        int col, row;
        double total;
    };

private slots:
    void pagesAreMadeFromTheSettings()
    {
        SeedDb s(QStringLiteral("db.mdb"));
        const QSqlRecord setup = s.only(QStringLiteral("tbl_Setup"));
        const auto pages = s.rows(QStringLiteral("SELECT * FROM tbl_Appt"));
        QVERIFY(pages.size() >= 2);
        for (const QSqlRecord &p : pages) {
            const QDate d = QDate::fromString(p.value(QStringLiteral("caldate")).toString(), Qt::ISODate);
            QVERIFY(d.isValid() && d.year() < 1999);
            QVERIFY(d.dayOfWeek() < 6);
            QCOMPARE(p.value(QStringLiteral("Clinic")).toInt(), 0);
            for (const char *f : {"location", "open", "Close", "timeslot", "lunchstart", "lunchclose", "Listno",
                                  "Sites", "Names", "Skills", "Spare"})
                QCOMPARE(p.value(QString::fromLatin1(f)), setup.value(QString::fromLatin1(f)));
            // blankPage is the weekday template as first shown: the lunch cells cleared.
            const QString weekday = setup.value(WeekdayFields[d.dayOfWeek() - 1]).toString();
            Page blank = parsePage(weekday);
            for (QStringList &row : blank)
                for (QString &c : row)
                    if (c == QLatin1String("LUNCH"))
                        c.clear();
            QCOMPARE(parsePage(p.value(QStringLiteral("BlankPage")).toString()), blank);
        }
    }

    void bookingsAgreeWithTheirPages()
    {
        SeedDb s(QStringLiteral("db.mdb"));
        const auto pages = s.rows(QStringLiteral("SELECT * FROM tbl_Appt"));
        int bookingsSeen = 0;
        for (const QSqlRecord &p : pages) {
            const QString date = p.value(QStringLiteral("caldate")).toString();
            const Layout l = layoutOf(p);
            const QStringList names = percentList(p.value(QStringLiteral("Names")).toString());
            const Page data = parsePage(p.value(QStringLiteral("Data")).toString());
            const Page blank = parsePage(p.value(QStringLiteral("BlankPage")).toString());
            QCOMPARE(data.size(), l.pageLines());

            QSqlQuery q(s.db());
            q.prepare(QStringLiteral("SELECT * FROM tbl_Job WHERE bDate = ? ORDER BY bCol, bRow"));
            q.addBindValue(date);
            QVERIFY(q.exec());
            std::map<int, double> used;
            QSet<QPair<int, int>> booked;
            while (q.next()) {
                const QSqlRecord b = q.record();
                const int col = b.value(QStringLiteral("bCol")).toInt();
                const int row = b.value(QStringLiteral("bRow")).toInt();
                const QString where = QStringLiteral("%1 col %2 row %3").arg(date).arg(col).arg(row);
                QVERIFY2(col >= 1 && col <= l.techs && row >= FirstSlotRow && row < l.lastRow(), qPrintable(where));
                QCOMPARE(cell(data, row, col), b.value(QStringLiteral("bName")).toString());
                QVERIFY(!b.value(QStringLiteral("bName")).toString().isEmpty());
                QCOMPARE(b.value(QStringLiteral("bTech")).toString(), names.value(col - 1));
                QCOMPARE(b.value(QStringLiteral("bTime")).toString(), l.labels[row - FirstSlotRow] + QLatin1Char(' '));

                const QStringList times = terminatedItems(b.value(QStringLiteral("bITime")).toString());
                QCOMPARE(times.size(), 10);
                double sum = 0;
                for (const QString &t : times) {
                    QVERIFY(t.isEmpty() || isNumber(t));
                    sum += t.toDouble();
                }
                const QString total = b.value(QStringLiteral("bTTime")).toString();
                QCOMPARE(total, numberText(sum));
                used[col] += sum;
                booked.insert({row, col});
                ++bookingsSeen;
            }
            for (int c = 1; c <= l.techs; ++c) {
                QCOMPARE(cell(data, 3, c).toDouble(), used[c]);
                QCOMPARE(cell(data, 2, c), numberText(cell(data, 4, c).toDouble() - used[c]));
            }
            // Apart from the hours and the booked cells the page is still its blank page.
            for (int row = 4; row <= l.lastRow(); ++row)
                for (int c = 1; c <= l.techs; ++c)
                    if (!booked.contains({row, c}))
                        QVERIFY2(cell(data, row, c) == cell(blank, row, c),
                                 qPrintable(QStringLiteral("%1 row %2 col %3").arg(date).arg(row).arg(c)));
        }
        QVERIFY(bookingsSeen >= 4);
    }

    // Each booking's slots are shaded in its colour from its own row down, two slots per hour
    // (rounded half to even, at least one hour's half and at most nine hours), passing over the
    // grey lunch slots; lunch slots are grey, every other slot has no colour of its own.
    void colourListsShadeTheBookings()
    {
        SeedDb s(QStringLiteral("db.mdb"));
        const QSqlRecord setup = s.only(QStringLiteral("tbl_Setup"));
        for (const QSqlRecord &p : s.rows(QStringLiteral("SELECT * FROM tbl_Appt"))) {
            const QString date = p.value(QStringLiteral("caldate")).toString();
            const Layout l = layoutOf(p);
            const int rows = l.lastRow() - FirstSlotRow + 1;
            QString list = p.value(QStringLiteral("Color")).toString();
            QVERIFY(list.endsWith(QLatin1Char(' ')));
            list.chop(1);
            const QStringList numbers = list.split(QLatin1Char(' '));
            QCOMPARE(numbers.size(), l.techs * rows);
            auto actual = [&](int row, int col) { return numbers[(col - 1) * rows + row - FirstSlotRow].toLongLong(); };

            const Page weekday =
                parsePage(setup.value(WeekdayFields[QDate::fromString(date, Qt::ISODate).dayOfWeek() - 1]).toString());
            std::map<QPair<int, int>, qlonglong> expected;
            for (int c = 1; c <= l.techs; ++c)
                for (int r = FirstSlotRow; r <= l.lastRow(); ++r)
                    expected[{r, c}] = cell(weekday, r, c) == QLatin1String("LUNCH") ? LunchColor : 0;

            QSqlQuery q(s.db());
            q.prepare(QStringLiteral("SELECT bCol, bRow, bTTime FROM tbl_Job WHERE bDate = ?"));
            q.addBindValue(date);
            QVERIFY(q.exec());
            while (q.next()) {
                const int col = q.value(0).toInt(), row = q.value(1).toInt();
                double hours = q.value(2).toDouble();
                const qlonglong color = actual(row, col);
                QVERIFY(color != 0 && color != LunchColor);
                if (hours != 0)
                    hours = std::clamp(hours, 0.5, 9.0);
                const int spanSlots = int(std::nearbyint(hours * 2));
                expected[{row, col}] = color;
                for (int r = row, painted = 0; painted < spanSlots && r < l.lastRow(); ++r) {
                    if (expected[{r, col}] == LunchColor)
                        continue;
                    expected[{r, col}] = color;
                    ++painted;
                }
            }
            for (const auto &[at, color] : expected)
                QVERIFY2(actual(at.first, at.second) == color,
                         qPrintable(QStringLiteral("%1 row %2 col %3").arg(date).arg(at.first).arg(at.second)));
        }
    }
};
TORVANE_TEST(SeedDemoTest)

class MkdbTest : public QObject {
    Q_OBJECT
private:
    static int run(const QString &dataDir, const QString &outDir, QString *errors)
    {
        QProcess p;
        p.start(TestFolder::buildFile(QStringLiteral("torvane-mkdb")), {dataDir, outDir});
        p.waitForFinished(60000);
        *errors = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    static void copyData(const QString &to)
    {
        const QDir from(QStringLiteral(TORVANE_SOURCE_DIR "/data"));
        QDir().mkpath(to);
        for (const QString &f : from.entryList(QDir::Files))
            QVERIFY(QFile::copy(from.filePath(f), QDir(to).filePath(f)));
    }

private slots:
    void sqlErrorLeavesThePreviousDatabase()
    {
        TestFolder dir;
        const QString data = dir.file(QStringLiteral("data"));
        copyData(data);
        QFile bad(QDir(data).filePath(QStringLiteral("db_9_broken.sql")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("-- a mistake\nINSERT INTO tbl_Nothing VALUES (1);\n");
        bad.close();
        QFile old(dir.file(QStringLiteral("db.mdb")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous");
        old.close();

        QString errors;
        QCOMPARE(run(data, dir.path(), &errors), 1);
        QVERIFY2(errors.contains(QLatin1String("db_9_broken.sql:2")), qPrintable(errors));
        QVERIFY2(errors.contains(QLatin1String("tbl_Nothing")), qPrintable(errors));
        QFile again(dir.file(QStringLiteral("db.mdb")));
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), QByteArray("previous"));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("db.mdb.part"))));
    }

    void unknownTextAndMalformedPageAreReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown text") << "db_9_x.sql" << QByteArray("INSERT INTO tbl_Help (Help) VALUES (:Nowhere);")
                                      << "Nowhere";
        QTest::newRow("ragged page") << "zz.txt" << QByteArray("[page odd]\na | 1 | 2\nb | 1\n") << "zz.txt";
        QTest::newRow("too many entries") << "zz.txt" << QByteArray("[lists 1 L]\nx\ny\n") << "2 entries";
        QTest::newRow("twice defined") << "zz.txt" << QByteArray("[text Help]\nagain\n") << "twice";
    }
    void unknownTextAndMalformedPageAreReported()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TestFolder dir;
        const QString data = dir.file(QStringLiteral("data"));
        copyData(data);
        QFile f(QDir(data).filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        QString errors;
        QCOMPARE(run(data, dir.path(), &errors), 1);
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("db.mdb"))));
    }

    void rebuildGivesTheSameContents()
    {
        TestFolder dir;
        QString errors;
        QCOMPARE(run(QStringLiteral(TORVANE_SOURCE_DIR "/data"), dir.path(), &errors), 0);
        for (const char *f : {"db.mdb", "dbn.mdb", "Info.doc"})
            QVERIFY2(QFile::exists(dir.file(QString::fromLatin1(f))), f);
        SeedDb built(QStringLiteral("db.mdb"));
        const QString copy = QStringLiteral("copy");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), copy);
            db.setDatabaseName(dir.file(QStringLiteral("db.mdb")));
            QVERIFY(db.open());
            for (const char *t : {"tbl_Setup", "tbl_Setup2", "tbl_Appt", "tbl_Job", "tbl_Help"}) {
                QSqlQuery a(built.db()), b(db);
                QVERIFY(a.exec(QStringLiteral("SELECT * FROM ") + QLatin1String(t)));
                QVERIFY(b.exec(QStringLiteral("SELECT * FROM ") + QLatin1String(t)));
                while (a.next()) {
                    QVERIFY(b.next());
                    for (int i = 0; i < a.record().count(); ++i)
                        QCOMPARE(b.value(i), a.value(i));
                }
                QVERIFY(!b.next());
            }
        }
        QSqlDatabase::removeDatabase(copy);
    }
};
TORVANE_TEST(MkdbTest)

#include "SeedTest.moc"
