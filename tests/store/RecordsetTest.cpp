#include "store/Recordset.h"
#include "SharedDb.h"
#include "store/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>
#include <functional>

namespace {
// The shared database of a new office in dir: a db.mdb, or a database on the test server named by
// dir's connection file.
QString makeShared(const TestFolder &dir, bool onServer = false)
{
    const QString path = onServer ? PgServer::instance()->newDatabase(dir.path()) : dir.file(QStringLiteral("db.mdb"));
    Database db;
    db.create(path);
    Schema::createShared(db);
    return path;
}

void addPage(Recordset &rs, const QDate &d, const QString &data)
{
    rs.addNew();
    rs.setField(QStringLiteral("caldate"), d);
    rs.setField(QStringLiteral("Data"), data);
    rs.setField(QStringLiteral("Color"), QStringLiteral("0"));
    rs.update();
}

} // namespace

class SqliteFileTest : public QObject {
    Q_OBJECT
private slots:
    void damagedOrForeignFileIsNamedWithTheRemedy()
    {
        TestFolder dir;
        const QString foreign = dir.file(QStringLiteral("letter.mdb"));
        {
            QFile f(foreign);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("Dear customer, your car is ready.\n").repeated(200));
        }
        const QString damaged = makeShared(dir);
        {
            Database db(damaged);
            for (int i = 0; i < 400; ++i)
                db.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate, Data) VALUES (?, ?)"),
                           {QDate(2026, 1, 1).addDays(i), QString(300, QLatin1Char('x'))});
        }
        {
            QFile f(damaged);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(f.size() / 2);
            f.write(QByteArray(16384, '\xA5'));
        }
        for (const QString &path : {foreign, damaged}) {
            try {
                Database db(path);
                db.select(QStringLiteral("SELECT caldate, Data FROM tbl_Appt ORDER BY Data, caldate"));
                QFAIL(qPrintable(path + QStringLiteral(" was read")));
            } catch (const AppError &e) {
                QCOMPARE(e.number(), ErrNo::UnrecognizedDatabase);
                QVERIFY2(e.description().contains(QDir::toNativeSeparators(path)), qPrintable(e.description()));
                QVERIFY(e.description().contains(QLatin1String("back-up copy")));
            }
        }
    }
};
TORVANE_TEST(SqliteFileTest)

// Every case runs on both engines: the stations must see the same behaviour on either.
class RecordsetTest : public QObject {
    Q_OBJECT
public:
    explicit RecordsetTest(bool onServer) : m_onServer(onServer) {}

private:
    QString makeShared(const TestFolder &dir) const { return ::makeShared(dir, m_onServer); }
    // What the database takes up now: the file, or the pages table on the server.
    qint64 storedSize(Database &db, const QString &path) const
    {
        if (!m_onServer)
            return QFileInfo(path).size();
        return db.scalar(QStringLiteral("SELECT pg_total_relation_size('\"tbl_Appt\"')")).toLongLong();
    }
    bool m_onServer;

private slots:
    void heldWriteLockGives3186OnceThePatienceIsSpent()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database a(path), b(path);
        Recordset ra(a, QStringLiteral("tbl_Appt"));
        addPage(ra, QDate(2026, 3, 2), QStringLiteral("x"));
        Recordset rb(b, QStringLiteral("tbl_Appt"));
        rb.moveFirst();

        a.begin(); // station A is in the middle of a write
        rb.edit(); // reading is not blocked
        rb.setField(QStringLiteral("Data"), QStringLiteral("from B"));
        QCOMPARE(errorOf([&] { rb.update(); }), ErrNo::RecordLocked);
        QVERIFY(!b.inTransaction());
        a.rollback();

        // Once A lets go, B's pending edit goes through.
        rb.update();
        ra.moveFirst();
        ra.edit(); // edit reads afresh
        QCOMPARE(ra.text(QStringLiteral("DATA")), QStringLiteral("from B"));
        ra.cancelUpdate();
    }

    void changeBetweenEditAndUpdateGives3197()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database a(path), b(path);
        Recordset ra(a, QStringLiteral("tbl_Appt"));
        addPage(ra, QDate(2026, 3, 2), QStringLiteral("x"));
        ra.requery();
        Recordset rb(b, QStringLiteral("tbl_Appt"));

        rb.edit();
        rb.setField(QStringLiteral("Memo"), QStringLiteral("B's memo"));
        ra.edit();
        ra.setField(QStringLiteral("Memo"), QStringLiteral("A's memo"));
        ra.update();
        QCOMPARE(errorOf([&] { rb.update(); }), ErrNo::RecordChanged);
        QCOMPARE(b.scalar(QStringLiteral("SELECT \"Memo\" FROM \"tbl_Appt\"")).toString(), QStringLiteral("A's memo"));
    }

    void deletedRecordGives3167()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database a(path), b(path);
        Recordset ra(a, QStringLiteral("tbl_Appt"));
        addPage(ra, QDate(2026, 3, 2), QStringLiteral("x"));
        ra.requery();
        Recordset rb(b, QStringLiteral("tbl_Appt"));
        rb.edit();
        rb.setField(QStringLiteral("Memo"), QStringLiteral("late"));
        ra.deleteRecord();
        QCOMPARE(errorOf([&] { rb.update(); }), ErrNo::RecordDeleted);
        rb.cancelUpdate();
        QCOMPARE(errorOf([&] { rb.edit(); }), ErrNo::RecordDeleted);
        QCOMPARE(errorOf([&] { rb.deleteRecord(); }), ErrNo::RecordDeleted);
    }

    void seekFindsByCalDateAndBRecord()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database db(path);
        Recordset pages(db, QStringLiteral("tbl_Appt"));
        for (int day = 1; day <= 5; ++day)
            addPage(pages, QDate(2026, 3, day), QStringLiteral("page %1").arg(day));
        pages.setIndex(QStringLiteral("CalDate"));
        pages.seek(QStringLiteral("="), {QDate(2026, 3, 4)});
        QVERIFY(!pages.noMatch());
        QCOMPARE(pages.text(QStringLiteral("Data")), QStringLiteral("page 4"));
        QCOMPARE(pages.date(QStringLiteral("caldate")), QDate(2026, 3, 4));
        pages.moveNext(); // moves go on from the found record
        QCOMPARE(pages.text(QStringLiteral("Data")), QStringLiteral("page 5"));
        pages.seek(QStringLiteral("="), {QDate(2026, 4, 1)});
        QVERIFY(pages.noMatch());
        QCOMPARE(errorOf([&] { pages.text(QStringLiteral("Data")); }), ErrNo::NoCurrentRecord);

        Recordset jobs(db, QStringLiteral("tbl_Job"));
        for (int col = 1; col <= 2; ++col)
            for (int row = 6; row <= 8; ++row) {
                jobs.addNew();
                jobs.setField(QStringLiteral("bDate"), QDate(2026, 3, 4));
                jobs.setField(QStringLiteral("bCol"), col);
                jobs.setField(QStringLiteral("bRow"), row);
                jobs.setField(QStringLiteral("bName"), QStringLiteral("c%1r%2").arg(col).arg(row));
                jobs.update();
            }
        jobs.setIndex(QStringLiteral("bRecord"));
        jobs.seek(QStringLiteral("="), {QDate(2026, 3, 4), 2, 7});
        QVERIFY(!jobs.noMatch());
        QCOMPARE(jobs.text(QStringLiteral("bname")), QStringLiteral("c2r7"));
        jobs.seek(QStringLiteral("="), {QDate(2026, 3, 5), 2, 7});
        QVERIFY(jobs.noMatch());
        QCOMPARE(errorOf([&] { jobs.setIndex(QStringLiteral("NoSuchIndex")); }), 3015);
    }

    void secondRecordForACellIsRefused()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database a(path), b(path);
        Recordset ja(a, QStringLiteral("tbl_Job")), jb(b, QStringLiteral("tbl_Job"));
        for (Recordset *rs : {&ja, &jb}) {
            rs->addNew();
            rs->setField(QStringLiteral("bDate"), QDate(2026, 3, 4));
            rs->setField(QStringLiteral("bCol"), 1);
            rs->setField(QStringLiteral("bRow"), 6);
        }
        ja.update();
        QCOMPARE(errorOf([&] { jb.update(); }), ErrNo::DuplicateKey);
        QCOMPARE(a.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\"")).toInt(), 1);
        QVERIFY(!b.inTransaction());
    }

    void movesBookmarksAndCounts()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database db(path);
        Recordset rs(db, QStringLiteral("tbl_Appt"));
        QVERIFY(rs.bof() && rs.eof());
        QCOMPARE(rs.recordCount(), 0);
        for (int day = 1; day <= 3; ++day)
            addPage(rs, QDate(2026, 3, day), QString::number(day));
        const auto third = rs.lastModified();
        QCOMPARE(rs.recordCount(), 3);
        rs.moveFirst();
        QVERIFY(!rs.bof() && !rs.eof());
        QStringList seen;
        while (!rs.eof()) {
            seen << rs.text(QStringLiteral("Data"));
            rs.moveNext();
        }
        QCOMPARE(seen, (QStringList{"1", "2", "3"}));
        QCOMPARE(errorOf([&] { rs.moveNext(); }), ErrNo::NoCurrentRecord);
        rs.moveLast();
        rs.movePrevious();
        QCOMPARE(rs.absolutePosition(), 1);
        const auto second = rs.bookmark();
        rs.moveFirst();
        rs.setBookmark(second);
        QCOMPARE(rs.text(QStringLiteral("Data")), QStringLiteral("2"));

        // Deleting the current record: the next move goes on from where it stood.
        rs.deleteRecord();
        rs.moveNext();
        QCOMPARE(rs.text(QStringLiteral("Data")), QStringLiteral("3"));
        QCOMPARE(rs.bookmark(), third);
        rs.movePrevious();
        QCOMPARE(rs.text(QStringLiteral("Data")), QStringLiteral("1"));
        rs.movePrevious();
        QVERIFY(rs.bof());

        Recordset copy = rs.clone();
        copy.moveLast();
        QCOMPARE(copy.text(QStringLiteral("Data")), QStringLiteral("3"));
        QVERIFY(rs.bof()); // the clone moves on its own
    }

    void fieldsByNameOrPositionAndUnknownNames()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database db(path);
        Recordset setup(db, QStringLiteral("tbl_Setup"));
        setup.addNew();
        setup.setField(QStringLiteral("MON"), QStringLiteral("monday"));
        setup.setField(QStringLiteral("chk1"), true);
        setup.update();
        setup.requery();
        // The weekday templates are reached by position, Mon first at 3.
        QCOMPARE(setup.fieldNames().at(3), QStringLiteral("Mon"));
        QCOMPARE(setup.field(3).toString(), QStringLiteral("monday"));
        QVERIFY(setup.yes(QStringLiteral("CHK1")));
        QVERIFY(!setup.fieldNames().contains(QStringLiteral("rowver")));
        QCOMPARE(errorOf([&] { setup.field(QStringLiteral("nosuch")); }), ErrNo::ItemNotFound);
        QCOMPARE(errorOf([&] { setup.setField(QStringLiteral("Mon"), 1); }), ErrNo::UpdateWithoutEdit);
    }

    void selectIsBoundAndReadOnly()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database db(path);
        Recordset jobs(db, QStringLiteral("tbl_Job"));
        const QString tricky = QStringLiteral("O'Brien\"; DROP TABLE tbl_Job; --");
        jobs.addNew();
        jobs.setField(QStringLiteral("bDate"), QDate(2026, 3, 4));
        jobs.setField(QStringLiteral("bCol"), 1);
        jobs.setField(QStringLiteral("bRow"), 6);
        jobs.setField(QStringLiteral("bName"), tricky);
        jobs.update();
        Recordset found(db, QStringLiteral("SELECT \"bName\", \"bRow\" FROM \"tbl_Job\" WHERE \"bName\" = ?"),
                        {tricky});
        QCOMPARE(found.recordCount(), 1);
        QCOMPARE(found.text(QStringLiteral("BNAME")), tricky);
        QCOMPARE(errorOf([&] { found.edit(); }), ErrNo::NotUpdatable);
    }

    void scanHandsOverStoredTextAndLeavesNoLockBehind()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        Database db(path), other(path);
        Recordset rs(db, QStringLiteral("tbl_Appt"));
        addPage(rs, QDate(2026, 3, 2), QStringLiteral("Zoë\tLUNCH"));
        addPage(rs, QDate(2026, 3, 3), QStringLiteral("second"));
        db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET timeslot = 30"));
        const QString sql = QStringLiteral("SELECT caldate, \"Data\", timeslot FROM \"tbl_Appt\" WHERE caldate >= ? "
                                           "ORDER BY caldate");
        auto scanFrom = [&](const QDate &from) {
            QStringList seen;
            db.scan(sql, {from}, [&](const RowView &r) {
                seen << QString::fromUtf8(r.text(0)) + QLatin1Char('|') + QString::fromUtf8(r.text(1))
                            + QLatin1Char('|') + QString::number(r.integer(2));
            });
            return seen;
        };
        QCOMPARE(scanFrom(QDate(2026, 3, 1)),
                 QStringList({QStringLiteral("2026-03-02|Zoë\tLUNCH|30"), QStringLiteral("2026-03-03|second|30")}));
        // The same text again is bound afresh.
        QCOMPARE(scanFrom(QDate(2026, 3, 3)), QStringList{QStringLiteral("2026-03-03|second|30")});

        // A reader that stops half-way leaves nothing open: another station writes at once.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, db.scan(sql, {QDate(2026, 3, 1)}, [](const RowView &) {
            throw std::runtime_error("stop");
        }));
        other.begin();
        other.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Data\" = 'changed'"));
        QCOMPARE(errorOf([&] { other.commit(); }), 0);
        QCOMPARE(scanFrom(QDate(2026, 3, 3)), QStringList{QStringLiteral("2026-03-03|changed|30")});
    }

    void emptyPathReleasesTheFileAndCompactionShrinks()
    {
        TestFolder dir;
        const QString path = makeShared(dir);
        DataSource src;
        src.setDatabaseName(path);
        src.setRecordSource(QStringLiteral("tbl_Appt"));
        src.refresh();
        Recordset &rs = src.recordset();
        // Text that does not compress, so the server keeps it at full size as the file does.
        QRandomGenerator random(7);
        QString big;
        for (int i = 0; i < 20000; ++i)
            big += QChar(u'a' + random.bounded(26));
        for (int day = 1; day <= 28; ++day)
            addPage(rs, QDate(2026, 2, day), big);
        src.database().execute(QStringLiteral("DELETE FROM \"tbl_Appt\""));
        const qint64 before = storedSize(src.database(), path);

        // An idle data source on the file does not stand in the way of compaction.
        Database other(path);
        other.compact();
        QVERIFY(storedSize(other, path) < before / 4);

        // Records other stations hold by bookmark keep their ids through compaction.
        addPage(rs, QDate(2026, 3, 1), QStringLiteral("first"));
        addPage(rs, QDate(2026, 3, 2), QStringLiteral("kept"));
        const auto kept = rs.lastModified();
        src.database().execute(QStringLiteral("DELETE FROM \"tbl_Appt\" WHERE \"Data\" = 'first'"));
        other.compact();
        Recordset again(other, QStringLiteral("tbl_Appt"));
        again.setBookmark(kept);
        QCOMPARE(again.text(QStringLiteral("Data")), QStringLiteral("kept"));

        src.setDatabaseName(QString());
        src.refresh();
        QVERIFY(!src.isOpen());
        QCOMPARE(errorOf([&] { src.recordset(); }), ErrNo::NoCurrentRecord);
        QCOMPARE(errorOf([&] { Database missing(dir.file(QStringLiteral("nothere.mdb"))); }), ErrNo::CannotOpen);
    }
};
class RecordsetTestFile : public RecordsetTest {
    Q_OBJECT
public:
    RecordsetTestFile() : RecordsetTest(false) {}
};
class RecordsetTestPg : public RecordsetTest {
    Q_OBJECT
public:
    RecordsetTestPg() : RecordsetTest(true) {}
};
static testreg::AddOnBothEngines<RecordsetTestFile, RecordsetTestPg> s_recordsets("RecordsetTest", "RecordsetTestPg");
#include "RecordsetTest.moc"
