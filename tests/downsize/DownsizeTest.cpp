#include "DrawingWatch.h"
#include "ScriptedDialogs.h"
#include "SharedDb.h"
#include "SmallDisk.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "downsize/DownsizeWindow.h"
#include "downsize/Downsizer.h"
#include "store/Database.h"
#include "store/StationRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
const QLocale MonthFirst(QLocale::English, QLocale::UnitedStates);

// The server folder as downsize sees it: db.mdb beside the program, with pages and bookings on
// the edges of 1999.
struct serverFolder {
    TestFolder folder;
    QString db;
    serverFolder()
    {
        db = folder.copySeed(QStringLiteral("db.mdb"));
        Database d(db);
        for (const QDate &date :
             {QDate(1998, 12, 31), QDate(1999, 1, 1), QDate(1999, 6, 15), QDate(1999, 12, 31), QDate(2000, 1, 1)}) {
            d.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate, Data) VALUES (?, 'x')"), {date});
            d.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName) VALUES (?, 1, 6, 'x')"), {date});
        }
    }
    int pages(const QDate &from, const QDate &to) const
    {
        Database d(db);
        return d.scalar(QStringLiteral("SELECT count(*) FROM tbl_Appt WHERE caldate BETWEEN ? AND ?"), {from, to})
            .toInt();
    }
    int bookings(const QDate &from, const QDate &to) const
    {
        Database d(db);
        return d.scalar(QStringLiteral("SELECT count(*) FROM tbl_Job WHERE bDate BETWEEN ? AND ?"), {from, to}).toInt();
    }
    int all() const
    {
        return pages(QDate(1900, 1, 1), QDate(2100, 1, 1)) + bookings(QDate(1900, 1, 1), QDate(2100, 1, 1));
    }
    qint64 size() const { return QFileInfo(db).size(); }
};

struct Window {
    ScriptedDialogs dialogs;
    DownsizeWindow w;
    explicit Window(const QString &folder) : w(folder, dialogs, MonthFirst) { w.show(); }
    QLineEdit *from() { return w.findChild<QLineEdit *>(QStringLiteral("Text1_0")); }
    QLineEdit *to() { return w.findChild<QLineEdit *>(QStringLiteral("Text1_1")); }
    void run(const QString &fromText, const QString &toText)
    {
        from()->setText(fromText);
        to()->setText(toText);
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("cmdDelete")), Qt::LeftButton);
    }
};

void fillYears(const QString &db, int firstYear, int lastYear)
{
    Database d(db);
    d.begin();
    const QString page = QString(QLatin1Char('x')).repeated(3000);
    for (QDate day(firstYear, 1, 1); day.year() <= lastYear; day = day.addDays(1)) {
        d.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate, Data, BlankPage) VALUES (?, ?, ?)"),
                  {day, page, page});
        d.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName, bComments) VALUES (?, 2, 7, 'y', ?)"),
                  {day, page});
    }
    d.commit();
}
} // namespace

class DownsizeTest : public QObject {
    Q_OBJECT
private slots:
    void typedDatesAreCheckedInOrder_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focus");
        QTest::newRow("empty From") << ""
                                    << "12/31/1999"
                                    << ""
                                    << ""
                                    << "Text1_0";
        QTest::newRow("empty To") << "01/01/1999"
                                  << ""
                                  << ""
                                  << ""
                                  << "Text1_1";
        QTest::newRow("no date in From") << "31/31/2000"
                                         << "12/31/1999"
                                         << "Wrong Input Date Format - format must conform to system 'short-date' "
                                            "format: e.g. 10/10/1999, 10-10-2000 "
                                         << "Incorrect Date Format"
                                         << "Text1_0";
        QTest::newRow("no date in To")
            << "01/01/1999"
            << "31/31/2000"
            << "Incorrect Input Date Format - format must conform to system 'short-date' format: e.g. 10/10/1999, "
               "10-10-2000 "
            << "Wrong Date Format"
            << "Text1_1";
        QTest::newRow("demonstration data") << "12/31/1998"
                                            << "12/31/1999"
                                            << "You cannot delete files earlier than 01/01/1999 - these are demo files!"
                                            << "Delete Files"
                                            << "Text1_0";
        QTest::newRow("From after To") << "12/31/1999"
                                       << "01/01/1999"
                                       << "Error! Start Date later than End Date!"
                                       << "Downsize File"
                                       << "Text1_0";
    }
    void typedDatesAreCheckedInOrder()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, focus);
        serverFolder server;
        const QByteArray before = [&] {
            QFile f(server.db);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        Window win(server.folder.path());
        QApplication::setActiveWindow(&win.w);
        win.run(from, to);
        if (text.isEmpty()) {
            QCOMPARE(win.dialogs.count(), 0);
        } else {
            QCOMPARE(win.dialogs.count(), 1);
            QCOMPARE(win.dialogs.last().text, text);
            QCOMPARE(win.dialogs.last().title, title);
        }
        QCOMPARE(win.w.focusWidget()->objectName(), focus);
        QFile f(server.db);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == before);
    }

    void wholeYearIsDeletedWithBothEnds()
    {
        serverFolder server;
        Window win(server.folder.path());
        win.run(QStringLiteral("01/01/1999"), QStringLiteral("12/31/1999"));
        QCOMPARE(win.dialogs.texts(),
                 QStringList{QStringLiteral("Downsize file operation successful! 3 pages and 3 "
                                            "bookings from 1/1/1999 to 12/31/1999 were deleted.")});
        QCOMPARE(win.dialogs.last().title, QStringLiteral("Downsize File"));
        QCOMPARE(server.pages(QDate(1999, 1, 1), QDate(1999, 12, 31)), 0);
        QCOMPARE(server.bookings(QDate(1999, 1, 1), QDate(1999, 12, 31)), 0);
        QCOMPARE(server.pages(QDate(1998, 12, 31), QDate(1998, 12, 31)), 1);
        QCOMPARE(server.pages(QDate(2000, 1, 1), QDate(2000, 1, 1)), 1);
        QCOMPARE(server.bookings(QDate(2000, 1, 1), QDate(2000, 1, 1)), 1);
        QVERIFY(win.w.running());
    }

    // Work in hand is deleted only when the user says so, having been told how much of it there is.
    void rangeReachingTodayAsksFirst()
    {
        serverFolder server;
        const QDate today = QDate::currentDate();
        {
            Database d(server.db);
            for (const QDate &date : {today.addDays(-1), today, today.addDays(30)})
                d.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate, Data) VALUES (?, 'x')"), {date});
            int row = 6;
            for (const QDate &date : {today.addDays(-1), today, today, today.addDays(30)})
                d.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName) VALUES (?, 1, ?, 'x')"),
                          {date, row++});
        }
        const int records = server.all();
        const QString range = QStringLiteral("from %1 to %2")
                                  .arg(MonthFirst.toString(today.addDays(-1), QStringLiteral("M/d/yyyy")),
                                       MonthFirst.toString(today.addDays(30), QStringLiteral("M/d/yyyy")));
        Window win(server.folder.path());
        win.dialogs.answer(Dialogs::AnsNo);
        win.run(MonthFirst.toString(today.addDays(-1), QStringLiteral("M/d/yyyy")),
                MonthFirst.toString(today.addDays(30), QStringLiteral("M/d/yyyy")));
        QCOMPARE(win.dialogs.texts(),
                 QStringList{QStringLiteral("This deletes 3 pages and 4 bookings %1, 5 of them from today on. "
                                            "Delete them?")
                                 .arg(range)});
        QCOMPARE(win.dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QCOMPARE(server.all(), records);

        win.dialogs.clear();
        win.dialogs.answer(Dialogs::AnsYes);
        QTest::mouseClick(win.w.findChild<QPushButton *>(QStringLiteral("cmdDelete")), Qt::LeftButton);
        QCOMPARE(win.dialogs.count(), 2);
        QCOMPARE(
            win.dialogs.last().text,
            QStringLiteral("Downsize file operation successful! 3 pages and 4 bookings %1 were deleted.").arg(range));
        QCOMPARE(server.all(), records - 7);
    }

    void emptyRangeStillCompactsAndSaysNothingWasDeleted()
    {
        serverFolder server;
        fillYears(server.db, 2001, 2001);
        {
            Database d(server.db); // free pages that only a compaction gives back
            d.execute(QStringLiteral("DELETE FROM tbl_Appt WHERE caldate >= '2001-01-01'"));
            QVERIFY(d.scalar(QStringLiteral("PRAGMA freelist_count")).toInt() > 0);
        }
        const int records = server.all();
        const qint64 before = server.size();
        Window win(server.folder.path());
        win.run(QStringLiteral("01/01/2050"), QStringLiteral("12/31/2050"));
        QCOMPARE(win.dialogs.texts(),
                 QStringList{QStringLiteral("Nothing was deleted: there are no pages or bookings "
                                            "from 1/1/2050 to 12/31/2050. The file was compacted.")});
        QCOMPARE(server.all(), records);
        QVERIFY(server.size() < before);
        Database d(server.db);
        QCOMPARE(d.scalar(QStringLiteral("PRAGMA freelist_count")).toInt(), 0);
    }

    void heldDatabaseIsRefusedAndNothingDeleted_data()
    {
        QTest::addColumn<bool>("writing");
        QTest::newRow("another station reading") << false;
        QTest::newRow("another station writing") << true;
    }
    void heldDatabaseIsRefusedAndNothingDeleted()
    {
        QFETCH(bool, writing);
        serverFolder server;
        const int records = server.all();
        Database other(server.db);
        if (writing) {
            other.begin();
            other.execute(QStringLiteral("UPDATE tbl_Setup SET Bookno = '2'"));
        } else {
            other.execute(QStringLiteral("BEGIN"));
            other.select(QStringLiteral("SELECT count(*) FROM tbl_Appt"));
        }
        Window win(server.folder.path());
        win.run(QStringLiteral("01/01/1999"), QStringLiteral("12/31/1999"));
        other.execute(QStringLiteral("ROLLBACK"));
        QCOMPARE(win.dialogs.count(), 1);
        QVERIFY(win.dialogs.last().text.contains(QLatin1String("Nothing was deleted")));
        QCOMPARE(server.all(), records);
        QVERIFY(win.w.running());
    }

    // Another station's write that outlasts a glance: the deletion waits for it under the bar
    // while the window's timers turn and the bar is painted, then deletes and compacts once the
    // other station commits, and the bar is shown to its end.
    void windowDrawsWhileTheDeletionWaitsForAnotherStation()
    {
        serverFolder server;
        const int records = server.all();
        const LockPatience patience(30000);
        Database other(server.db);
        other.begin();
        other.execute(QStringLiteral("UPDATE tbl_Setup SET Bookno = '2'"));

        Window win(server.folder.path());
        DrawingWatch watch([&] { other.commit(); });
        win.run(QStringLiteral("01/01/1999"), QStringLiteral("12/31/1999"));
        QVERIFY(watch.released());
        QVERIFY(watch.paintsWhileHeld() > 0);
        QCOMPARE(win.dialogs.texts(),
                 QStringList{QStringLiteral("Downsize file operation successful! 3 pages and 3 "
                                            "bookings from 1/1/1999 to 12/31/1999 were deleted.")});
        QCOMPARE(server.pages(QDate(1999, 1, 1), QDate(1999, 12, 31)), 0);
        QCOMPARE(server.all(), records - 6);
        QVERIFY(!watch.values().isEmpty());
        QCOMPARE(watch.values().last().first, watch.values().last().second);
        Database d(server.db);
        QCOMPARE(d.scalar(QStringLiteral("SELECT Bookno FROM tbl_Setup")).toString(), QStringLiteral("2"));
    }

    void otherRunningStationsKeepDownsizeFromRunning_data()
    {
        QTest::addColumn<int>("others");
        QTest::addColumn<bool>("silent"); // the others' last beat is older than the timeout
        QTest::addColumn<QString>("refusal");
        QTest::newRow("another station idle") << 1 << false << "1 other station is open on the database.";
        QTest::newRow("two other stations") << 2 << false << "2 other stations are open on the database.";
        QTest::newRow("only the station that started it") << 0 << false << "";
        QTest::newRow("others silent too long") << 2 << true << "";
    }
    void otherRunningStationsKeepDownsizeFromRunning()
    {
        QFETCH(int, others);
        QFETCH(bool, silent);
        QFETCH(QString, refusal);
        serverFolder server;
        Database d(server.db);
        const qint64 caller = StationRegistry::add(d);
        for (int i = 0; i < others; ++i) {
            const qint64 id = StationRegistry::add(d);
            if (i == 0)
                moveToAnotherMachine(d, id); // only its beat tells that it runs
            if (silent)
                d.execute(QStringLiteral("UPDATE tbl_Station SET beat = beat - ? WHERE id = ?"),
                          {StationRegistry::DefaultTimeoutMs + 1000, id});
        }
        // The newest page lies in the range: its id must not come back.
        d.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate) VALUES ('1999-07-01')"));
        const qint64 newest = d.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
        const int records = server.all();

        Window win(server.folder.path());
        win.w.setCallerStation(caller);
        win.run(QStringLiteral("01/01/1999"), QStringLiteral("12/31/1999"));
        if (!refusal.isEmpty()) {
            QCOMPARE(win.dialogs.texts(), QStringList{refusal
                                                      + QStringLiteral(" Close the program on every station, then "
                                                                       "press Delete again. Nothing was deleted.")});
            QCOMPARE(server.all(), records);
            return;
        }
        QCOMPARE(win.dialogs.texts(),
                 QStringList{QStringLiteral("Downsize file operation successful! 4 pages and 3 "
                                            "bookings from 1/1/1999 to 12/31/1999 were deleted.")});
        d.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate) VALUES ('2031-01-01')"));
        QVERIFY(d.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong() > newest);
    }

    void unusableDatabaseSaysWhichFileAndWhy_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("missing") << "missing"
                                 << "Can't find datafile db.mdb in " << false;
        QTest::newRow("foreign") << "foreign"
                                 << " is not a Torvane database" << false;
        QTest::newRow("damaged") << "damaged"
                                 << " is not a Torvane database, or it is damaged" << false;
        QTest::newRow("busy") << "busy"
                              << " is busy: another station is saving to it" << true;
        QTest::newRow("read-only") << "read-only"
                                   << " is read-only" << false;
    }
    void unusableDatabaseSaysWhichFileAndWhy()
    {
        QFETCH(QString, problem);
        QFETCH(QString, cause);
        QFETCH(bool, staysOpen);
        TestFolder folder;
        SmallDisk disk;
        QString where = folder.path();
        const QString db = folder.file(QStringLiteral("db.mdb"));
        Database other;
        if (problem == QLatin1String("foreign")) {
            other.create(db);
            other.execute(QStringLiteral("CREATE TABLE notes (line TEXT)"));
            other.close();
        } else if (problem == QLatin1String("damaged")) {
            QFile f(db);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'z'));
        } else if (problem == QLatin1String("busy")) {
            folder.copySeed(QStringLiteral("db.mdb"));
            other.open(db);
            other.execute(QStringLiteral("BEGIN EXCLUSIVE")); // held through its commit: nobody reads
        } else if (problem == QLatin1String("read-only")) {
            if (!disk.ready())
                QSKIP("mounting a small disk needs root");
            QFile::copy(TestFolder::buildFile(QStringLiteral("db.mdb")), disk.file(QStringLiteral("db.mdb")));
            QVERIFY(disk.makeReadOnly());
            where = disk.path();
        }
        Window win(where);
        win.run(QStringLiteral("01/01/1999"), QStringLiteral("12/31/1999"));
        if (other.isOpen())
            other.execute(QStringLiteral("ROLLBACK"));
        QCOMPARE(win.dialogs.count(), 1);
        const QString text = win.dialogs.last().text;
        QVERIFY2(text.contains(cause), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(where)), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("..")), qPrintable(text));
        QCOMPARE(win.w.running(), staysOpen);
        QCOMPARE(win.w.isVisible(), staysOpen);
    }
};
TORVANE_TEST(DownsizeTest)
#include "DownsizeTest.moc"
