#include "../daypage/Station.h"
#include "SharedDb.h"
#include "TestDb.h"
#include "daypage/PageModel.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {
// A busy day of a ten-technician workshop: long names, long comments, a word wider than its column.
const QStringList Techs{"Kenneth Hernandez", "Susan Grant",       "Bartholomew Castellanos", "Mei-Ling Abernathy",
                        "Raj Patel",         "Oluwaseun Adeyemi", "Francesca Lindqvist",     "Tony Russo",
                        "Wilhelmina Carter", "Giovanni Esposito"};
const QStringList Firsts{"Walter", "Priya", "Dmitri", "Evangeline", "Marcus", "Yuki"};
const QStringList Lasts{"Kowalski-Brennan", "Thompson", "Vandermeulen", "Nakamura", "Fitzgerald", "Okonkwo"};
const QString Comment = QStringLiteral(
    "Waiting in the lounge. Check the left rear tire, the customer reports a warning light on the highway since "
    "the last rotation and wants the old parts kept.");
// No column is wide enough for it: it has to break inside.
const QString LongWord = QStringLiteral("WDDGF8AB9DR298437ZXCVBNMASDFGHJKL");
constexpr int BookingsPerTech = 6;

// A comment longer than a whole page: its row goes on over the pages.
QString pageLongNote()
{
    QStringList words;
    for (int k = 0; k < 300; ++k)
        words << QStringLiteral("Note%1x").arg(k);
    return words.join(QLatin1Char(' '));
}
const QString PageLongNote = pageLongNote();

struct Word {
    QRectF box;
    QString text;
};
struct PdfPage {
    QSizeF size;
    QList<Word> words;
};

QString decode(QString s)
{
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

// Every word of the file with its box in points, page by page, in the order it was drawn.
QList<PdfPage> wordsOf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-raw"), pdf, QStringLiteral("-")});
    p.waitForFinished(-1);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression tag(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|"
                                                       "<word xMin=\"([\\d.-]+)\" yMin=\"([\\d.-]+)\" "
                                                       "xMax=\"([\\d.-]+)\" yMax=\"([\\d.-]+)\">([^<]*)</word>"));
    QList<PdfPage> pages;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty()) {
            pages.append({QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()), {}});
        } else if (!pages.isEmpty()) {
            const QPointF from(m.captured(3).toDouble(), m.captured(4).toDouble());
            const QPointF to(m.captured(5).toDouble(), m.captured(6).toDouble());
            pages.last().words.append({QRectF(from, to), decode(m.captured(7))});
        }
    }
    return pages;
}
} // namespace

// torvane --print on a busy day: each view onto A4 and Letter, upright and across, keeps every
// booked word and draws nothing outside the paper's printable area.
class CommandLinePrintTest : public QObject {
    Q_OBJECT
    bool m_onServer;
    TestFolder m_folder;
    QString m_db;
    QString m_station;
    const QDate m_day{2031, 3, 5}; // a Wednesday
    QStringList m_names;           // every booked customer

public:
    explicit CommandLinePrintTest(bool onServer) : m_onServer(onServer) {}

private:
    // Runs the program as a script would; returns its exit code, standard error in err.
    int torvane(const QStringList &args, const QString &locale, QString &err)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), locale);
        env.insert(QStringLiteral("LANG"), locale);
        env.remove(QStringLiteral("LC_MEASUREMENT"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // it must do without a display by itself
        p.setProcessEnvironment(env);
        p.start(TestFolder::buildFile(QStringLiteral("torvane")), args);
        p.waitForFinished(-1);
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
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
        QStringList sites;
        for (int t = 1; t <= Techs.size(); ++t)
            sites << QStringLiteral("Bay %1").arg(t);
        Database(m_db).execute(
            QStringLiteral("UPDATE \"tbl_Setup\" SET \"Listno\" = ?, \"Names\" = ?, \"Sites\" = ?, \"cwidth\" = ?"),
            {int(Techs.size()), Techs.join(QLatin1Char('%')) + QLatin1Char('%'),
             sites.join(QLatin1Char('%')) + QLatin1Char('%'),
             QStringLiteral("1100%") + QStringLiteral("1900%").repeated(int(Techs.size()))});

        Station st(m_db);
        QVERIFY(st.page.openDate(m_day));
        const QString insert = QStringLiteral(
            "INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bTech\", \"bTime\", \"bName\", \"bPhone\", "
            "\"bVehicle\", \"bMake\", \"bMainten\", \"bMenu1\", \"bTTime\", \"bComments\") "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int col = 1; col <= Techs.size(); ++col) {
            for (int i = 0; i < BookingsPerTech; ++i) {
                const int row = PageModel::FirstTimeRow + i;
                const int n = (col - 1) * BookingsPerTech + i;
                const QString name = Firsts[n % Firsts.size()] + QLatin1Char(' ') + Lasts[(n / 6 + n) % Lasts.size()]
                                     + QString::number(n);
                QCOMPARE(st.page.saveCellContent(row, col, name), DayPage::CellSave::Stored);
                m_names << name;
                // Each comment ends with a word of its own, the first to go when rows are cut short.
                QString comment = Comment + QStringLiteral(" Ticket%1end").arg(n);
                if (n % 7 == 0)
                    comment += QLatin1Char(' ') + LongWord;
                if (n == 3)
                    comment += QLatin1Char(' ') + PageLongNote;
                Database(m_db).execute(insert,
                                       {m_day, col, row, Techs[col - 1], st.grid().text(row, 0), name,
                                        QStringLiteral("(905) 555-01%1").arg(n % 100, 2, 10, QLatin1Char('0')),
                                        QStringLiteral("2019"), QStringLiteral("Mercedes-Benz"),
                                        QStringLiteral("Brake inspection and rotation"),
                                        QStringLiteral("Synthetic oil change"), QStringLiteral("1.5"), comment});
            }
        }
    }

    void everyViewKeepsEveryWordInsideThePrintableArea_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("fill");
        QTest::addColumn<QString>("title");
        for (const char *view : {"day", "details"}) {
            const QString title =
                QLatin1String(view) == QLatin1String("day") ? QStringLiteral("Daily") : QStringLiteral("Details");
            // Not addRow("%s"): an optimised build warns that the name might be null.
            const auto row = [view](const char *what) -> QTestData & {
                return QTest::newRow(QByteArray(view).append(what).constData());
            };
            row(" A4 portrait") << view << "en_GB.UTF-8" << 1 << false << title;
            row(" Letter portrait filled") << view << "en_US.UTF-8" << 1 << true << title;
            row(" A4 landscape filled") << view << "en_GB.UTF-8" << 2 << true << title;
            row(" Letter landscape") << view << "en_US.UTF-8" << 2 << false << title;
        }
        // The week is always across the page.
        QTest::addRow("week A4") << "week"
                                 << "en_GB.UTF-8" << 2 << false << "Weekly";
        QTest::addRow("week Letter") << "week"
                                     << "en_US.UTF-8" << 2 << false << "Weekly";
    }

    void everyViewKeepsEveryWordInsideThePrintableArea()
    {
        QFETCH(QString, view);
        QFETCH(QString, locale);
        QFETCH(int, orientation);
        QFETCH(bool, fill);
        QFETCH(QString, title);
        Database(m_db).execute(
            QStringLiteral(
                "UPDATE \"tbl_Setup\" SET \"Printmode\" = ?, \"FillPage\" = ?, \"dMode\" = ?, \"dFillPage\" = ?"),
            {orientation, fill ? 1 : 0, orientation, fill ? 1 : 0});
        const QString pdf = m_folder.file(view + QStringLiteral(".pdf"));
        QFile::remove(pdf);
        QString err;
        const int code =
            torvane({QStringLiteral("--print"), view, QStringLiteral("--date"), m_day.toString(Qt::ISODate),
                     QStringLiteral("--pdf"), pdf, QStringLiteral("--folder"), m_station},
                    locale, err);
        QVERIFY2(code == 0, qPrintable(err));
        QCOMPARE(err, QString()); // nothing but errors
        if (qEnvironmentVariableIsSet("TORVANE_KEEP_PDF"))
            QFile::copy(pdf, QDir(qEnvironmentVariable("TORVANE_KEEP_PDF"))
                                 .filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pdf")));

        const QList<PdfPage> pages = wordsOf(pdf);
        QVERIFY(!pages.isEmpty());
        QSizeF paper = locale.startsWith(QLatin1String("en_US")) ? QSizeF(612, 792) : QSizeF(595.28, 841.89);
        if (orientation == 2)
            paper.transpose();
        // The quarter inch the program keeps clear all round.
        const double edge = 18 - 0.5;
        QString stream;
        int sheet = 0;
        for (const PdfPage &page : pages) {
            ++sheet;
            QVERIFY(qAbs(page.size.width() - paper.width()) < 1 && qAbs(page.size.height() - paper.height()) < 1);
            const QRectF printable(edge, edge, page.size.width() - 2 * edge, page.size.height() - 2 * edge);
            QStringList words;
            for (const Word &w : page.words) {
                QVERIFY2(printable.contains(w.box), qPrintable(QStringLiteral("\"%1\" at %2,%3-%4,%5 on sheet %6")
                                                                   .arg(w.text)
                                                                   .arg(w.box.left())
                                                                   .arg(w.box.top())
                                                                   .arg(w.box.right())
                                                                   .arg(w.box.bottom())
                                                                   .arg(sheet)));
                words << w.text;
                stream += w.text;
            }
            // Every sheet is headed with its title and date and numbered.
            const QString text = words.join(QLatin1Char(' '));
            QVERIFY2(text.contains(title) && text.contains(QStringLiteral("2031")), qPrintable(text.left(200)));
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Page \\d+ of \\d+"))),
                     qPrintable(text.right(200)));
        }
        if (view == QLatin1String("details"))
            QVERIFY(stream.contains(QStringLiteral("Page%1of%1").arg(pages.size())));

        // Words broken over lines or pages run on in the file's order, so each is found in the
        // text of all words run together.
        QStringList expected = m_names;
        if (view != QLatin1String("details"))
            expected += Techs;
        if (view == QLatin1String("details"))
            for (int n = 0; n < m_names.size(); ++n)
                expected << Comment << PageLongNote << QStringLiteral("Ticket%1end").arg(n) << LongWord
                         << QStringLiteral("(905) 555-01%1").arg(n % 100, 2, 10, QLatin1Char('0'))
                         << QStringLiteral("Mercedes-Benz");
        for (const QString &text : std::as_const(expected))
            for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                QVERIFY2(stream.contains(word),
                         qPrintable(QStringLiteral("\"%1\" of \"%2\" is missing").arg(word, text)));
    }

    void badViewDateOrFolderFailsWithAMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString date = m_day.toString(Qt::ISODate);
        QTest::newRow("view") << QStringList{"--print", "month", "--date", date} << "Unknown view \"month\"";
        QTest::newRow("date") << QStringList{"--print", "day", "--date", "2031-02-30"} << "Bad date \"2031-02-30\"";
        QTest::newRow("date form") << QStringList{"--print", "day", "--date", "5/3/2031"} << "Bad date \"5/3/2031\"";
        QTest::newRow("no date") << QStringList{"--print", "day"} << "--print and --date go together";
        QTest::newRow("folder") << QStringList{"--print", "day", "--date", date, "--folder", "/no/such/station"}
                                << "No station folder \"/no/such/station\"";
        QTest::newRow("folder without station")
            << QStringList{"--print", "day", "--date", date, "--folder", "/"} << "No station database /dbn.mdb";
    }

    void badViewDateOrFolderFailsWithAMessage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QString pdf = m_folder.file(QStringLiteral("refused.pdf"));
        QString err;
        const int code = torvane(args << QStringLiteral("--pdf") << pdf, QStringLiteral("en_US.UTF-8"), err);
        QCOMPARE(code, 2);
        QVERIFY2(err.startsWith(QStringLiteral("torvane: ") + message), qPrintable(err));
        QVERIFY(!QFile::exists(pdf));
    }
};
class CommandLinePrintTestFile : public CommandLinePrintTest {
    Q_OBJECT
public:
    CommandLinePrintTestFile() : CommandLinePrintTest(false) {}
};
class CommandLinePrintTestPg : public CommandLinePrintTest {
    Q_OBJECT
public:
    CommandLinePrintTestPg() : CommandLinePrintTest(true) {}
};
static testreg::AddOnBothEngines<CommandLinePrintTestFile, CommandLinePrintTestPg> s_cli("CommandLinePrintTest",
                                                                                         "CommandLinePrintTestPg");
#include "CommandLinePrintTest.moc"
