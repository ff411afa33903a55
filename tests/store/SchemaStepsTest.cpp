#include "SharedDb.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <QTest>

// A step added to the shared schema, as the next change of shape would be: applied once on a
// database of the step before, every record kept; a later step that fails takes the whole
// upgrade back with it. On both engines.
class SchemaStepsTest : public QObject {
    Q_OBJECT
    bool m_onServer;

    static int bookings(Database &db) { return db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\"")).toInt(); }

public:
    explicit SchemaStepsTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void aNewStepAddsAFieldWholeOrNotAtAll()
    {
        TestFolder folder;
        seedShared(folder, m_onServer);
        Database db(Database::sharedIn(folder.path()));
        const int stored = bookings(db);
        QVERIFY(stored > 0);
        QCOMPARE(db.engine().schemaVersion(db), Schema::SharedVersion);

        QVector<Schema::Step> steps = Schema::sharedSteps();
        steps.append({Schema::SharedVersion + 1, [](Database &d) {
                          d.execute(QStringLiteral("ALTER TABLE \"tbl_Job\" ADD COLUMN \"bNoShow\" INTEGER DEFAULT 0"));
                      }});
        QVector<Schema::Step> failing = steps;
        failing.append({Schema::SharedVersion + 2, [](Database &) {
                            throw AppError(ErrNo::NotUpdatable, QStringLiteral("A step that cannot be applied."));
                        }});
        QVERIFY_THROWS_EXCEPTION(AppError, Schema::upgrade(db, failing));
        QCOMPARE(db.engine().schemaVersion(db), Schema::SharedVersion);
        QVERIFY(!db.fieldNames(QStringLiteral("tbl_Job")).contains(QStringLiteral("bNoShow"), Qt::CaseInsensitive));

        QVERIFY(Schema::upgrade(db, steps));
        QCOMPARE(db.engine().schemaVersion(db), Schema::SharedVersion + 1);
        QVERIFY(db.fieldNames(QStringLiteral("tbl_Job")).contains(QStringLiteral("bNoShow"), Qt::CaseInsensitive));
        QCOMPARE(bookings(db), stored);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\" WHERE \"bNoShow\" = 0")).toInt(), stored);
        QVERIFY(!Schema::upgrade(db, steps));
        QVERIFY(!Schema::upgradeShared(db));
    }
};
class SchemaStepsTestFile : public SchemaStepsTest {
    Q_OBJECT
public:
    SchemaStepsTestFile() : SchemaStepsTest(false) {}
};
class SchemaStepsTestPg : public SchemaStepsTest {
    Q_OBJECT
public:
    SchemaStepsTestPg() : SchemaStepsTest(true) {}
};
static testreg::AddOnBothEngines<SchemaStepsTestFile, SchemaStepsTestPg> s_steps("SchemaStepsTest",
                                                                                 "SchemaStepsTestPg");
#include "SchemaStepsTest.moc"
