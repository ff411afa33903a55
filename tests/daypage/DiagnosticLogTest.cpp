#include "core/DiagnosticLog.h"
#include "Station.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "store/Database.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QTest>

// What support reads after a call: errors the program passes over without a message, and the
// messages it did show, each with the time and the station.
class DiagnosticLogTest : public QObject {
    Q_OBJECT
private slots:
    void passedOverAndShownErrorsReachTheLog()
    {
        TestFolder folder;
        const QString dbPath = folder.copySeed(QStringLiteral("db.mdb"));
        QFile::remove(DiagnosticLog::filePath());
        // Never the user's own data folder.
        QVERIFY2(DiagnosticLog::filePath().contains(QStringLiteral("/.qttest/")),
                 qPrintable(DiagnosticLog::filePath()));

        Station s(dbPath);
        QVERIFY(s.page.openDate(QDate(1999, 3, 8)));
        // A damaged shared database: the page's colour list cannot be read any more.
        Database(dbPath).execute(QStringLiteral("ALTER TABLE tbl_Appt RENAME COLUMN Color TO Colour"));
        s.page.getCellColor(); // passes its own failure over: the colours as last read
        s.page.refreshGrid();
        QVERIFY(s.dialogs.titles().contains(QStringLiteral("Refresh Grid")));

        QFile log(DiagnosticLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QRegularExpression stamp(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\S* \\[test\\] "));
        for (const QString &line : lines)
            QVERIFY2(line.contains(stamp), qPrintable(line));
        const QStringList passedOver = lines.filter(QStringLiteral("] passed over GetCellColor: "));
        QCOMPARE(passedOver.size(), 1);
        QVERIFY2(passedOver.at(0).contains(QStringLiteral("no such column: Color")), qPrintable(passedOver.at(0)));
        // Every message shown, in the order shown.
        QStringList shown;
        for (const QString &line : lines)
            if (line.contains(QStringLiteral("] shown ")))
                shown << line.mid(line.indexOf(QStringLiteral("] shown ")) + 8);
        QStringList expected;
        for (const ScriptedDialogs::Shown &m : s.dialogs.shown())
            expected << m.title + QStringLiteral(": ") + m.text;
        QCOMPARE(shown, expected);
    }

    void qtAndDriverWarningsReachTheLog()
    {
        QFile::remove(DiagnosticLog::filePath());
        const QtMessageHandler earlier = DiagnosticLog::captureQtMessages();
        const auto restore = qScopeGuard([earlier] { qInstallMessageHandler(earlier); });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QNOSUCH driver not loaded")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("available drivers")));
        {
            const QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QNOSUCH"), QStringLiteral("nosuch"));
            QVERIFY(!db.isValid());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("nosuch"));
        QFile log(DiagnosticLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(QLatin1String("] qt warning default: QSqlDatabase: QNOSUCH driver not loaded")),
                 qPrintable(text));
    }
};
TORVANE_TEST(DiagnosticLogTest)
#include "DiagnosticLogTest.moc"
