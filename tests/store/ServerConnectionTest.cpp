// The connection to a server: its address read strictly, and a server that stops answering ends a
// call after the address's limit instead of freezing the station, leaving nothing half-written.
#include "SharedDb.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QUrlQuery>
#include <functional>

namespace {
void writeAddress(const QString &file, const QString &address)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(address.toUtf8() + '\n');
}

// The test server's address of database name, with more settings appended.
QString addressOf(const QString &name, const QString &more = QString())
{
    QUrl url(PgServer::instance()->socketUrl());
    url.setPath(QLatin1Char('/') + name);
    return url.toString(QUrl::FullyEncoded) + more;
}

} // namespace

class ServerConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void addressIsReadStrictlyAndItsValuesStayWhole()
    {
        TestFolder dir;
        const QString conn = PgServer::instance()->newDatabase(dir.path());
        const QString name = QUrl(QString::fromUtf8([&] {
                                 QFile f(conn);
                                 f.open(QIODevice::ReadOnly);
                                 return f.readAll().trimmed();
                             }()))
                                 .path()
                                 .mid(1);
        {
            Database db(conn);
            Schema::createShared(db);
        }
        const auto openWith = [&](const QString &address, QString *text) {
            writeAddress(conn, address);
            return errorOf([&] { Database db(conn); }, text);
        };
        // An encoded blank in a value must not start a setting of its own.
        QString text;
        QCOMPARE(openWith(addressOf(name, QStringLiteral("&sslmode=disable%20password=s3cret")), &text),
                 ErrNo::CannotOpen);
        QVERIFY2(text.contains(QLatin1String("\"sslmode\"")), qPrintable(text));
        QCOMPARE(openWith(addressOf(name, QStringLiteral("&connect_timeout=5%20dbname=other")), &text),
                 ErrNo::CannotOpen);
        QVERIFY2(text.contains(QLatin1String("\"connect_timeout\"")), qPrintable(text));
        QCOMPARE(openWith(addressOf(name, QStringLiteral("&options=-c%20statement_timeout=0")), &text),
                 ErrNo::CannotOpen);
        QVERIFY2(text.contains(QLatin1String("\"options\"")), qPrintable(text));
        QCOMPARE(openWith(addressOf(name, QStringLiteral("&password=s3cret")), &text), ErrNo::CannotOpen);
        QVERIFY2(text.contains(QLatin1String("~/.pgpass")), qPrintable(text));
        QCOMPARE(openWith(addressOf(name, QStringLiteral("&user=torvane")), &text), ErrNo::CannotOpen);
        QVERIFY2(text.contains(QLatin1String("\"user\" twice")), qPrintable(text));

        // A blank, a quote and a backslash reach the server inside the one value they belong to;
        // the socket folder is reached through a name with a blank in it.
        const QString spaced = dir.file(QStringLiteral("so ck"));
        QVERIFY(QFile::link(PgServer::instance()->socketFolder(), spaced));
        QUrl url(addressOf(name));
        QUrlQuery query(url);
        query.removeAllQueryItems(QStringLiteral("host"));
        query.addQueryItem(QStringLiteral("host"), QString::fromLatin1(QUrl::toPercentEncoding(spaced)));
        query.addQueryItem(QStringLiteral("application_name"),
                           QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("it's a\\b dbname=other"))));
        url.setQuery(query);
        writeAddress(conn, url.toString(QUrl::FullyEncoded));
        Database db(conn);
        QCOMPARE(db.scalar(QStringLiteral("SELECT current_setting('application_name')")).toString(),
                 QStringLiteral("it's a\\b dbname=other"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT current_database()")).toString(), name);
    }

    void silentServerEndsTheCallWithinTheLimitAndWritesNothingHalf()
    {
        TestFolder dir;
        const QString conn = PgServer::instance()->newDatabase(dir.path());
        {
            Database db(conn);
            Schema::createShared(db);
            db.execute(QStringLiteral("INSERT INTO \"tbl_Appt\" (caldate, \"Memo\") VALUES ('2026-05-01', 'before')"));
        }
        QFile f(conn);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString address = QString::fromUtf8(f.readAll()).trimmed();
        f.close();
        writeAddress(conn, address + QStringLiteral("&connect_timeout=2"));
        const auto memo = [](Database &db) {
            return db.scalar(QStringLiteral("SELECT \"Memo\" FROM \"tbl_Appt\"")).toString();
        };

        Database a(conn);
        a.begin();
        a.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Memo\" = 'half'"));
        {
            FrozenServer thaw;
            QString text;
            QCOMPARE(errorOf([&] { a.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Data\" = 'half'")); }, &text),
                     ErrNo::NoAnswer);
            QCOMPARE(text, QStringLiteral("The database server does not answer."));
            QVERIFY(!thaw.thawed());
            // The rest of the transaction is not sent anywhere, not even on a new connection to
            // the server answering again.
            thaw.now();
            QCOMPARE(errorOf([&] { a.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Memo\" = 'second'")); }),
                     ErrNo::NoAnswer);
            QCOMPARE(errorOf([&] { a.commit(); }), ErrNo::NoAnswer);
            QVERIFY(!a.inTransaction());
        }
        Database b(conn);
        QCOMPARE(memo(b), QStringLiteral("before"));
        QVERIFY(b.scalar(QStringLiteral("SELECT \"Data\" FROM \"tbl_Appt\"")).isNull());
        // The station's connection is opened again for its next call.
        QCOMPARE(memo(a), QStringLiteral("before"));

        // With a program's question: Retry once the server answers again runs the read again;
        // Exit makes every later call fail at once.
        int asked = 0;
        FrozenServer *thaw = nullptr;
        Database::setNoAnswerHandler([&] {
            ++asked;
            thaw->now();
            return true;
        });
        {
            FrozenServer t;
            thaw = &t;
            QCOMPARE(memo(a), QStringLiteral("before"));
        }
        QCOMPARE(asked, 1);
        Database::setNoAnswerHandler([&] {
            ++asked;
            return false;
        });
        {
            FrozenServer t;
            QCOMPARE(errorOf([&] { memo(a); }), ErrNo::NoAnswer);
            QVERIFY(!t.thawed());
            t.now();
            QCOMPARE(errorOf([&] { memo(b); }), ErrNo::NoAnswer);
        }
        QCOMPARE(asked, 2);

        // A new connection to a silent server asks too, and Retry connects.
        Database::setNoAnswerHandler([&] {
            ++asked;
            thaw->now();
            return true;
        });
        {
            FrozenServer t;
            thaw = &t;
            Database c(conn);
            QCOMPARE(memo(c), QStringLiteral("before"));
        }
        QCOMPARE(asked, 3);
        Database::setNoAnswerHandler({});
        QCOMPARE(memo(b), QStringLiteral("before"));
    }
};

static testreg::AddOnServer<ServerConnectionTest> s_connection("ServerConnectionTest");
#include "ServerConnectionTest.moc"
