// Older shared databases are brought to the current shape in one transaction without losing a
// field, and ids of pages and booking records are never handed out twice.
#include "TestDb.h"
#include "TestRegistry.h"
#include "store/BookingStore.h"
#include "store/CustomerStore.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QFile>
#include <QTest>

namespace {
const QStringList OfficeTables{QStringLiteral("tbl_Setup"), QStringLiteral("tbl_Setup2"), QStringLiteral("tbl_Appt"),
                               QStringLiteral("tbl_Job"), QStringLiteral("tbl_Help")};

// A db.mdb as programs made it before stations registered; withIds false: before ids were explicit.
void makeOlderFile(const QString &path, bool withIds)
{
    QFile f(QStringLiteral(TORVANE_SOURCE_DIR "/tests/store/shared_before_stations.sql"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QString schema = QString::fromUtf8(f.readAll());
    if (!withIds)
        schema.replace(QStringLiteral(",\n  rid INTEGER PRIMARY KEY\n"), QStringLiteral("\n"));
    Database db;
    db.create(path);
    db.executeScript(schema);
    db.execute(QStringLiteral("INSERT INTO tbl_Setup (location, open, Close, timeslot, Listno, Names, Bookno) "
                              "VALUES ('Office', '08:00 AM', '05:00 PM', 30, 2, 'Al%Bo%', '17')"));
    db.execute(QStringLiteral("INSERT INTO tbl_Help (Help) VALUES ('F1')"));
    const QString text = QString(2000, QLatin1Char('x'));
    for (int d = 1; d <= 40; ++d) {
        const QString date = QDate(2030, 1, 1).addDays(d).toString(Qt::ISODate);
        db.execute(QStringLiteral(
                       "INSERT INTO tbl_Appt (caldate, Data, Color, Memo, Clinic, rowver) VALUES (?, ?, '0', ?, 1, 4)"),
                   {date, text + QString::number(d), QStringLiteral("memo %1").arg(d)});
        db.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName, bTTime) VALUES (?, 2, 8, ?, '1.5')"),
                   {date, QStringLiteral("Name %1").arg(d)});
    }
    // A returning customer, spelled two ways, who changed cars.
    db.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName, bPhone, bVehicle, bMake, bTTime) VALUES "
                              "('2030-01-03', 1, 9, 'dana whit', '555-0142', '2012', 'Subaru', '1'), "
                              "('2030-01-30', 1, 9, 'Dana Whit', '(555) 0142', '2024', 'Honda', '1')"));
    // Ids with gaps, as deletions leave them.
    db.execute(QStringLiteral("DELETE FROM tbl_Appt WHERE caldate = '2030-01-05'"));
}

// Every record of the office tables with its id and every field, in id order.
QString dump(Database &db)
{
    QStringList out;
    for (const QString &t : OfficeTables) {
        const QStringList fields = db.fieldNames(t);
        for (const auto &row :
             db.select(QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(fields.join(QLatin1Char(',')), t))
                 .rows) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << v.toString();
            out << t + QLatin1Char(':') + cells.join(QLatin1Char('|'));
        }
        out << t + QLatin1Char('=') + fields.join(QLatin1Char(','));
    }
    return out.join(QLatin1Char('\n'));
}

QString schemaText(Database &db)
{
    QStringList out;
    for (const auto &row : db.select(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name")).rows)
        out << row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString() + QLatin1Char(' ') + row.at(2).toString();
    return out.join(QLatin1Char('\n')) + QStringLiteral("\nversion ")
           + db.scalar(QStringLiteral("PRAGMA user_version")).toString();
}

qint64 newPage(Database &db, const QDate &date)
{
    db.execute(QStringLiteral("INSERT INTO tbl_Appt (caldate) VALUES (?)"), {date});
    return db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
}
} // namespace

class StationSchemaTest : public QObject {
    Q_OBJECT
private slots:
    void olderFileIsUpgradedWholeOrNotAtAll_data()
    {
        QTest::addColumn<bool>("withIds");
        QTest::newRow("ids explicit") << true;
        QTest::newRow("ids implicit") << false;
    }
    void olderFileIsUpgradedWholeOrNotAtAll()
    {
        QFETCH(bool, withIds);
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("db.mdb"));
        makeOlderFile(path, withIds);
        QString records, schema;
        {
            Database db(path);
            records = dump(db);
            schema = schemaText(db);
            // The disk fills up while the pages are copied: nothing of the upgrade stays.
            const int pages = db.scalar(QStringLiteral("PRAGMA page_count")).toInt();
            db.execute(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 3));
            QVERIFY_THROWS_EXCEPTION(AppError, Schema::upgradeShared(db));
        }
        {
            Database db(path);
            QCOMPARE(schemaText(db), schema);
            QCOMPARE(dump(db), records);
            QVERIFY(Schema::upgradeShared(db));
            QVERIFY(!Schema::upgradeShared(db));
        }
        Database db(path);
        QCOMPARE(dump(db), records);
        QCOMPARE(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Schema::SharedVersion);
        QCOMPARE(db.indexColumns(QStringLiteral("CalDate")), QStringList{QStringLiteral("caldate")});
        QCOMPARE(db.indexColumns(QStringLiteral("bRecord")).size(), 3);
        QCOMPARE(db.fieldNames(QStringLiteral("tbl_Claim")).join(QLatin1Char(' ')),
                 QStringLiteral("caldate slotrow slotcol station claimed"));
        QVERIFY(db.fieldNames(QStringLiteral("tbl_Station")).contains(QStringLiteral("beat")));
        // The bookings' customers made, each with the spelling that finds its bookings by index.
        QCOMPARE(db.indexColumns(QStringLiteral("JobName")), QStringList{QStringLiteral("bName")});
        QCOMPARE(CustomerStore(db).find(QStringLiteral("name")).size(), 40);
        QCOMPARE(BookingStore(db).namedAs(CustomerStore(db).spellings(QStringLiteral("name 7"))).size(), 1);
        // Every visit counts, not only the latest: the car of the first, both spellings.
        const QVector<CustomerStore::Customer> byOldCar = CustomerStore(db).find(QStringLiteral("subaru"));
        QCOMPARE(byOldCar.size(), 1);
        QCOMPARE(byOldCar.first().make, QStringLiteral("Honda"));
        QCOMPARE(BookingStore(db).namedAs(CustomerStore(db).spellings(QStringLiteral("dana whit"))).size(), 2);
        // One key per word, phone and vehicle word, not one per prefix; a file of the shape before
        // (keys per prefix) gets them made again.
        auto danaKeys = [&db] {
            QStringList keys;
            for (const auto &r : db.select(QStringLiteral("SELECT prefix FROM tbl_CustomerKey WHERE nameKey = "
                                                          "'dana whit' ORDER BY prefix"))
                                     .rows)
                keys << r.at(0).toString();
            return keys.join(QLatin1Char(' '));
        };
        const QString words = QStringLiteral("#5550142 @2012 @2024 @honda @subaru dana whit");
        QCOMPARE(danaKeys(), words);
        db.execute(QStringLiteral("INSERT INTO tbl_CustomerKey (prefix, nameKey, phoneKey, lastVisit) VALUES "
                                  "('da', 'dana whit', '5550142', NULL), "
                                  "('dan', 'dana whit', '5550142', NULL)"));
        db.execute(QStringLiteral("PRAGMA user_version = %1").arg(Schema::SharedVersion - 1));
        QVERIFY(Schema::upgradeShared(db));
        QCOMPARE(danaKeys(), words);
        QCOMPARE(CustomerStore(db).lookup(QStringLiteral("Da")).size(), 1);
        QCOMPARE(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }

    void idsAreNeverUsedTwice_data()
    {
        QTest::addColumn<bool>("upgraded");
        QTest::newRow("shipped file") << false;
        QTest::newRow("upgraded older file") << true;
    }
    void idsAreNeverUsedTwice()
    {
        QFETCH(bool, upgraded);
        TestFolder folder;
        QString path = folder.file(QStringLiteral("db.mdb"));
        if (upgraded)
            makeOlderFile(path, true);
        else
            folder.copySeed(QStringLiteral("db.mdb"));
        Database db(path);
        Schema::upgradeShared(db);
        const qint64 newest = newPage(db, QDate(2035, 1, 1));
        db.execute(QStringLiteral("DELETE FROM tbl_Appt WHERE rowid = ?"), {newest});
        db.compact();
        QVERIFY(newPage(db, QDate(2035, 1, 2)) > newest);

        db.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow) VALUES ('2035-01-02', 1, 6)"));
        const qint64 job = db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
        db.execute(QStringLiteral("DELETE FROM tbl_Job WHERE rowid = ?"), {job});
        db.execute(QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow) VALUES ('2035-01-02', 1, 6)"));
        QVERIFY(db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong() > job);
    }
};
TORVANE_TEST(StationSchemaTest)
#include "StationSchemaTest.moc"
