#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "core/AppState.h"
#include "print/DBGridImport.h"
#include "print/TablePrint.h"
#include "print/TableQueryModel.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QTest>

namespace {
DataGridLayout jobGrid()
{
    DataGridLayout g;
    g.headFont = QFont(QStringLiteral("Arial"), 10, QFont::Bold);
    g.font = QFont(QStringLiteral("Arial"), 9);
    g.rowHeight = 285;
    g.columns = {
        {DataGridColumn::General, true, 1000, QStringLiteral("Col"), QStringLiteral("bCol")},
        {DataGridColumn::General, true, 2000, QStringLiteral("Name"), QStringLiteral("bName")},
        {DataGridColumn::Center, true, 1500, QStringLiteral("Phone"), QStringLiteral("bPhone")},
        {DataGridColumn::Right, true, 500, QStringLiteral("Time"), QStringLiteral("bTTime")},
    };
    return g;
}
} // namespace

class DBGridReaderTest : public QObject {
    Q_OBJECT
private:
    TestFolder *m_folder = nullptr;
    Database *m_db = nullptr;
    QString m_path;

private slots:
    void init()
    {
        m_folder = new TestFolder;
        m_path = m_folder->file(QStringLiteral("db.mdb"));
        m_db = new Database;
        m_db->create(m_path);
        Schema::createShared(*m_db);
        const QString insert =
            QStringLiteral("INSERT INTO tbl_Job (bDate, bCol, bRow, bName, bPhone, bTTime) VALUES (?, ?, ?, ?, ?, ?)");
        m_db->execute(insert, {"2026-03-02", 2, 5, "Brown", "555-0101", "1.5"});
        m_db->execute(insert, {"2026-03-02", 1, 7, "Adams", QVariant(), "2"});
        m_db->execute(insert, {"2026-03-03", 1, 1, "Other day", "555-0199", "1"});
    }
    void cleanup()
    {
        delete m_db;
        delete m_folder;
    }

    void nullFieldPrintsEmptyAndIsStoredBackAsEmptyText()
    {
        AppState state;
        ScriptedDialogs dialogs;
        TablePrint t(state.dialogs());
        TableQueryModel records(*m_db, QStringLiteral("tbl_Job"), QStringLiteral("bDate = ?"), {"2026-03-02"},
                                QStringLiteral("bCol, bRow"));

        importDBGrid(t, jobGrid(), records, -1, dialogs);

        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(t.rowCount(), 2);
        QCOMPARE(t.colCount(), 4);
        QCOMPARE(t.headerRowCount(), 1);
        QVERIFY(!t.hasFooter());
        QCOMPARE(t.headerLineThickness(), short(2));
        QCOMPARE(t.minRowHeight(), 285.0f);
        QCOMPARE(t.headerText(0, 1), QStringLiteral("Name"));
        // By column, then row: Adams (column 1) before Brown.
        QCOMPARE(t.textMatrix(0, 1), QStringLiteral("Adams"));
        QCOMPARE(t.textMatrix(0, 2), QString());
        QCOMPARE(t.textMatrix(1, 2), QStringLiteral("555-0101"));
        QCOMPARE(t.textMatrix(1, 0), QStringLiteral("2"));
        // General follows the field: numbers right, texts left.
        QCOMPARE(t.colAlignment(0), 2);
        QCOMPARE(t.colAlignment(1), 0);
        QCOMPARE(t.colAlignment(2), 1);
        QCOMPARE(t.colAlignment(3), 2);
        QCOMPARE(t.colWidth(1), 2000.0f);
        // One shared font for all cells, another for the header.
        QCOMPARE(t.fontMatrix(0, 0).get(), t.fontMatrix(1, 3).get());
        QCOMPARE(t.headerFont(0, 0)->bold(), true);

        // The null is gone from the database itself, as seen by another connection.
        Database other(m_path);
        QCOMPARE(other.scalar(QStringLiteral("SELECT COUNT(*) FROM tbl_Job WHERE bPhone IS NULL")).toInt(), 0);
        QCOMPARE(other.scalar(QStringLiteral("SELECT bPhone FROM tbl_Job WHERE bName = 'Adams'")).toString(),
                 QString());
        QCOMPARE(other.scalar(QStringLiteral("SELECT bPhone FROM tbl_Job WHERE bName = 'Brown'")).toString(),
                 QStringLiteral("555-0101"));

        // FitWidth stretches the visible columns in proportion: 5000 twips of grid into 10000.
        importDBGrid(t, jobGrid(), records, 10000, dialogs);
        QCOMPARE(t.colWidth(0), 2000.0f);
        QCOMPARE(t.colWidth(1), 4000.0f);
        QCOMPARE(t.colWidth(3), 1000.0f);
    }

    void hiddenColumnLeavesAnEmptyNarrowColumn()
    {
        AppState state;
        ScriptedDialogs dialogs;
        TablePrint t(state.dialogs());
        TableQueryModel records(*m_db, QStringLiteral("tbl_Job"), QStringLiteral("bDate = ?"), {"2026-03-02"},
                                QStringLiteral("bCol, bRow"));
        DataGridLayout grid = jobGrid();
        grid.columns[2].visible = false;

        importDBGrid(t, grid, records, 7000, dialogs);

        QCOMPARE(t.headerText(0, 2), QString());
        QCOMPARE(t.textMatrix(1, 2), QString());
        QCOMPARE(t.colWidth(2), 15.0f);
        QCOMPARE(t.colWidth(1), 4000.0f); // 2000 of the 3500 visible twips
    }

    void queryValuesAreBoundAndAnEmptyDayKeepsItsHeader()
    {
        AppState state;
        ScriptedDialogs dialogs;
        TablePrint t(state.dialogs());
        TableQueryModel records(*m_db, QStringLiteral("tbl_Job"), QStringLiteral("bDate = ?"),
                                {"2026-03-02' OR '1'='1"}, QStringLiteral("bCol, bRow"));
        QCOMPARE(records.rowCount(), 0);

        importDBGrid(t, jobGrid(), records, -1, dialogs);

        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(t.rowCount(), 0);
        QCOMPARE(t.headerText(0, 1), QStringLiteral("Name"));
        QCOMPARE(t.colWidth(1), 2000.0f);
    }

    void unknownFieldStopsWithTheImportMessage()
    {
        AppState state;
        ScriptedDialogs dialogs;
        TablePrint t(state.dialogs());
        TableQueryModel records(*m_db, QStringLiteral("tbl_Job"), QStringLiteral("bDate = ?"), {"2026-03-02"},
                                QStringLiteral("bRow"));
        DataGridLayout grid = jobGrid();
        grid.columns[3].dataField = QStringLiteral("bNoSuchField");

        importDBGrid(t, grid, records, -1, dialogs);

        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(dialogs.last().title, QStringLiteral("ImportDBGrid"));
        QVERIFY(dialogs.last().text.startsWith(QStringLiteral("3265: Error Description ")));
        // Reading stopped at the first record.
        QCOMPARE(t.textMatrix(0, 1), QStringLiteral("Brown"));
        QCOMPARE(t.textMatrix(1, 1), QString());
    }
};
TORVANE_TEST(DBGridReaderTest)
#include "DBGridReaderTest.moc"
