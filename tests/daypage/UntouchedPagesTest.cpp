#include "Station.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "core/Colors.h"
#include "store/Database.h"

#include <QTest>

class UntouchedPagesTest : public QObject {
    Q_OBJECT
    TestFolder *folder = nullptr;
    QString dbPath;
private slots:
    void init()
    {
        folder = new TestFolder;
        dbPath = folder->copySeed(QStringLiteral("db.mdb"));
    }
    void cleanup() { delete folder; }

    // Each kind of change a user can make to a page keeps it; only pages exactly as a fresh page
    // of their date go, shown or never shown, open or closed as their weekday.
    void onlyPagesAsTheyWereMadeAreDeleted()
    {
        struct Case {
            const char *what;
            QDate date;
            bool shown;        // given its first showing (colour list, LUNCH cleared)
            const char *touch; // SQL run on the page afterwards, ? the date; null for none
            bool survives;
        };
        const QString lunchCell = QString::number(LunchColor);
        const Case cases[] = {
            {"never shown", QDate(1999, 3, 8), false, nullptr, false},
            {"shown once", QDate(1999, 3, 9), true, nullptr, false},
            {"Sunday closed as its weekday", QDate(1999, 3, 7), true, nullptr, false},
            {"typed into", QDate(1999, 3, 10), true, "UPDATE tbl_Appt SET Data = 'x' || Data WHERE caldate = ?", true},
            {"memo", QDate(1999, 3, 11), true, "UPDATE tbl_Appt SET Memo = 'Ring Al' WHERE caldate = ?", true},
            {"closed for a holiday", QDate(1999, 3, 12), false, "UPDATE tbl_Appt SET Clinic = 1 WHERE caldate = ?",
             true},
            {"Sunday opened", QDate(1999, 3, 14), false, "UPDATE tbl_Appt SET Clinic = 0 WHERE caldate = ?", true},
            {"coloured", QDate(1999, 3, 15), true,
             "UPDATE tbl_Appt SET Color = '255 ' || substr(Color, instr(Color, ' ') + 1) WHERE caldate = ?", true},
            {"booking record", QDate(1999, 3, 16), true,
             "INSERT INTO tbl_Job (bDate, bCol, bRow, bName) VALUES (?, 2, 8, 'Lee')", true},
        };
        Station s(dbPath);
        Database db(dbPath);
        const int before = db.scalar(QStringLiteral("SELECT count(*) FROM tbl_Appt")).toInt();
        for (const Case &c : cases) {
            QVERIFY2(c.shown ? s.page.openDate(c.date) : s.page.openPage(c.date), c.what);
            if (c.touch)
                db.execute(QString::fromLatin1(c.touch), {c.date});
        }
        // A shown page's lunch cells are part of what a fresh page gets.
        QVERIFY(db.scalar(QStringLiteral("SELECT Color FROM tbl_Appt WHERE caldate = '1999-03-09'"))
                    .toString()
                    .contains(lunchCell));

        const int deleted = s.page.store().deleteUntouchedPages();
        for (const Case &c : cases) {
            const bool there =
                db.scalar(QStringLiteral("SELECT count(*) FROM tbl_Appt WHERE caldate = ?"), {c.date}).toInt() == 1;
            QVERIFY2(there == c.survives, c.what);
        }
        QCOMPARE(deleted, 3);
        // The seed's own demonstration pages carry bookings or text: none of them went.
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM tbl_Appt")).toInt(), before + 6);
    }
};
TORVANE_TEST(UntouchedPagesTest)
#include "UntouchedPagesTest.moc"
