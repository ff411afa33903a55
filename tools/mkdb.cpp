// Builds the seed databases and the information sheet from the files under data/:
//   dbn.mdb   schema_station.sql, then every dbn_*.sql in name order
//   db.mdb    schema.sql, then every db_*.sql in name order
//   Info.doc  copied from data/Info.doc
// A SQL statement may name a text as :Name; the texts come from the sections of the data/*.txt
// files (format below) and are bound as parameters, so long page texts, lists and documents stay
// readable and never need quoting.
//
// Sections of a .txt file ("#" lines and blank lines outside text sections are ignored):
//   [text Name]            the lines that follow, up to the next section header, verbatim,
//                          joined by line feeds
//   [page Name]            one line per grid row, cells separated by "|"; the first cell is the
//                          row's caption and is not stored; cells are trimmed, joined by tabs,
//                          rows by carriage returns
//   [colors Name]          like a page, one line per slot row, colour numbers (decimal or &Hhex);
//                          stored column by column, each number followed by a blank
//   [lists N Name1 Name2]  one entry per line, the k-th "|" cell going to list Namek; each list
//                          is padded to N entries, every entry followed by "%"
//   [years N Name]         a list of the N latest model years, newest first, the newest being
//                          the year after the one the seed is built in; no lines follow
// Each output is written to a ".part" file and renamed into place only when complete.
#include "store/AppError.h"
#include "store/CustomerStore.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

struct SeedError {
    QString message;
};

[[noreturn]] void fail(const QString &where, const QString &what)
{
    throw SeedError{where + QStringLiteral(": ") + what};
}

QString readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(path, QStringLiteral("cannot read: ") + f.errorString());
    return QString::fromUtf8(f.readAll());
}

using Texts = QHash<QString, QString>;

struct Line {
    QString text;
    int number;
};

class TextFileReader {
public:
    TextFileReader(const QString &path, Texts &texts) : m_path(path), m_texts(texts) {}

    void read()
    {
        static const QRegularExpression header(
            QStringLiteral("^\\[(text|page|colors|lists|years)\\s+([^\\]]+)\\]\\s*$"));
        const QStringList lines = readFile(m_path).split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            QString line = lines[i];
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            const auto m = header.match(line);
            if (m.hasMatch()) {
                finishSection();
                m_kind = m.captured(1);
                m_args = m.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
                m_headerLine = i + 1;
                continue;
            }
            if (m_kind.isEmpty()) {
                if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
                    fail(where(i + 1), QStringLiteral("text outside a section"));
                continue;
            }
            m_body.append({line, i + 1});
        }
        finishSection();
    }

private:
    QString where(int line) const { return m_path + QLatin1Char(':') + QString::number(line); }

    void add(const QString &name, const QString &value)
    {
        if (m_texts.contains(name))
            fail(where(m_headerLine), QStringLiteral("text \"%1\" is defined twice").arg(name));
        m_texts.insert(name, value);
    }

    // Rows of "|" cells without comment and blank lines; the caption cell is dropped.
    QList<QStringList> cellRows() const
    {
        QList<QStringList> rows;
        for (const Line &l : m_body) {
            if (l.text.trimmed().isEmpty() || l.text.startsWith(QLatin1Char('#')))
                continue;
            QStringList cells = l.text.split(QLatin1Char('|'));
            cells.removeFirst();
            for (QString &c : cells)
                c = c.trimmed();
            if (!rows.isEmpty() && cells.size() != rows.first().size())
                fail(where(l.number),
                     QStringLiteral("%1 cells where the first row has %2").arg(cells.size()).arg(rows.first().size()));
            rows.append(cells);
        }
        if (rows.isEmpty())
            fail(where(m_headerLine), QStringLiteral("section without rows"));
        return rows;
    }

    void finishSection()
    {
        if (m_kind.isEmpty())
            return;
        if (m_kind == QLatin1String("lists"))
            finishLists();
        else if (m_kind == QLatin1String("years"))
            finishYears();
        else if (m_args.size() != 1)
            fail(where(m_headerLine), QStringLiteral("expected one name"));
        else if (m_kind == QLatin1String("text"))
            finishText();
        else if (m_kind == QLatin1String("page"))
            finishPage();
        else
            finishColors();
        m_kind.clear();
        m_body.clear();
    }

    void finishText()
    {
        QStringList lines;
        for (const Line &l : m_body)
            lines.append(l.text);
        while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
            lines.removeFirst();
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
            lines.removeLast();
        add(m_args.first(), lines.join(QLatin1Char('\n')));
    }

    void finishPage()
    {
        QStringList rows;
        for (const QStringList &cells : cellRows())
            rows.append(cells.join(QLatin1Char('\t')));
        add(m_args.first(), rows.join(QLatin1Char('\r')));
    }

    void finishColors()
    {
        const QList<QStringList> rows = cellRows();
        QString list;
        for (qsizetype c = 0; c < rows.first().size(); ++c) {
            for (const QStringList &cells : rows) {
                const QString &cell = cells[c];
                bool ok = false;
                const qlonglong value = cell.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)
                                            ? cell.mid(2).toLongLong(&ok, 16)
                                            : cell.toLongLong(&ok, 10);
                if (!ok || value < 0 || value > 0xFFFFFFFFLL)
                    fail(where(m_headerLine), QStringLiteral("bad colour \"%1\"").arg(cell));
                list += QString::number(value) + QLatin1Char(' ');
            }
        }
        add(m_args.first(), list);
    }

    void finishLists()
    {
        bool ok = false;
        const int size = m_args.value(0).toInt(&ok);
        if (!ok || size < 1 || m_args.size() < 2)
            fail(where(m_headerLine), QStringLiteral("expected [lists <entries> <name>...]"));
        const QStringList names = m_args.mid(1);
        QList<QStringList> entries(names.size());
        for (const Line &l : m_body) {
            if (l.text.trimmed().isEmpty() || l.text.startsWith(QLatin1Char('#')))
                continue;
            const QStringList cells = l.text.split(QLatin1Char('|'));
            if (cells.size() != names.size())
                fail(where(l.number), QStringLiteral("%1 cells for %2 lists").arg(cells.size()).arg(names.size()));
            for (qsizetype k = 0; k < cells.size(); ++k) {
                if (cells[k].contains(QLatin1Char('%')))
                    fail(where(l.number), QStringLiteral("an entry cannot hold \"%\""));
                entries[k].append(cells[k].trimmed());
            }
        }
        if (entries.first().size() > size)
            fail(where(m_headerLine),
                 QStringLiteral("%1 entries for a list of %2").arg(entries.first().size()).arg(size));
        for (qsizetype k = 0; k < names.size(); ++k) {
            QString list;
            for (int i = 0; i < size; ++i)
                list += entries[k].value(i) + QLatin1Char('%');
            add(names[k], list);
        }
    }

    void finishYears()
    {
        bool ok = false;
        const int size = m_args.value(0).toInt(&ok);
        if (!ok || size < 1 || m_args.size() != 2)
            fail(where(m_headerLine), QStringLiteral("expected [years <entries> <name>]"));
        for (const Line &l : m_body)
            if (!l.text.trimmed().isEmpty() && !l.text.startsWith(QLatin1Char('#')))
                fail(where(l.number), QStringLiteral("a years list takes no entries"));
        // Next year's models are on the road well before the year starts.
        const int newest = QDate::currentDate().year() + 1;
        QString list;
        for (int i = 0; i < size; ++i)
            list += QString::number(newest - i) + QLatin1Char('%');
        add(m_args.at(1), list);
    }

    QString m_path;
    Texts &m_texts;
    QString m_kind;
    QStringList m_args;
    int m_headerLine = 0;
    QList<Line> m_body;
};

struct Statement {
    QString sql;        // with every :Name turned into "?"
    QStringList params; // the names, in order
    int line = 0;
};

// Splits a script on ";" outside quotes and comments and collects the :Name parameters.
QList<Statement> splitScript(const QString &script)
{
    QList<Statement> out;
    Statement cur;
    int line = 1;
    QChar quote;
    auto flush = [&] {
        if (!cur.sql.trimmed().isEmpty())
            out.append(cur);
        cur = Statement();
    };
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar ch = script[i];
        if (ch == QLatin1Char('\n'))
            ++line;
        if (cur.sql.trimmed().isEmpty())
            cur.line = line;
        if (!quote.isNull()) {
            cur.sql += ch;
            if (ch == quote)
                quote = QChar();
        } else if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            quote = ch;
            cur.sql += ch;
        } else if (ch == QLatin1Char('-') && script.mid(i, 2) == QLatin1String("--")) {
            while (i + 1 < script.size() && script[i + 1] != QLatin1Char('\n'))
                ++i;
        } else if (ch == QLatin1Char(';')) {
            flush();
        } else if (ch == QLatin1Char(':') && i + 1 < script.size()
                   && (script[i + 1].isLetter() || script[i + 1] == QLatin1Char('_'))) {
            qsizetype j = i + 1;
            while (j < script.size() && (script[j].isLetterOrNumber() || script[j] == QLatin1Char('_')))
                ++j;
            cur.params.append(script.mid(i + 1, j - i - 1));
            cur.sql += QLatin1Char('?');
            i = j - 1;
        } else {
            cur.sql += ch;
        }
    }
    if (!quote.isNull())
        fail(QStringLiteral("line %1").arg(cur.line), QStringLiteral("unterminated quote"));
    flush();
    return out;
}

void runScript(QSqlDatabase &db, const QString &path, const Texts &texts)
{
    QList<Statement> statements;
    try {
        statements = splitScript(readFile(path));
    } catch (const SeedError &e) {
        fail(path, e.message);
    }
    for (const Statement &st : statements) {
        const QString where = path + QLatin1Char(':') + QString::number(st.line);
        QSqlQuery q(db);
        if (!q.prepare(st.sql))
            fail(where, q.lastError().text());
        for (const QString &name : st.params) {
            if (!texts.contains(name))
                fail(where, QStringLiteral("no text named \"%1\" in the .txt files").arg(name));
            q.addBindValue(texts.value(name));
        }
        if (!q.exec())
            fail(where, q.lastError().text());
    }
}

void replaceFile(const QString &from, const QString &to)
{
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec)
        fail(to, QString::fromStdString(ec.message()));
}

void buildDatabase(const QString &target, const QStringList &scripts, const Texts &texts)
{
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    const QString connection = QStringLiteral("mkdb");
    try {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(part);
            if (!db.open())
                fail(part, db.lastError().text());
            QSqlQuery pragma(db);
            if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=DELETE")))
                fail(part, pragma.lastError().text());
            pragma.finish();
            if (!db.transaction())
                fail(part, db.lastError().text());
            for (const QString &script : scripts)
                runScript(db, script, texts);
            if (!db.commit())
                fail(part, db.lastError().text());
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
        replaceFile(part, target);
    } catch (...) {
        QSqlDatabase::removeDatabase(connection);
        QFile::remove(part);
        throw;
    }
}

void copyFile(const QString &from, const QString &to)
{
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part))
        fail(from, QStringLiteral("cannot copy to ") + part);
    replaceFile(part, to);
}

QStringList scripts(const QDir &data, const QString &schema, const QString &pattern)
{
    QStringList files{data.filePath(schema)};
    for (const QString &name : data.entryList({pattern}, QDir::Files, QDir::Name))
        files.append(data.filePath(name));
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: torvane-mkdb <data folder> <output folder>\n");
        return 2;
    }
    const QDir data(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    try {
        Texts texts;
        for (const QString &name : data.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            TextFileReader(data.filePath(name), texts).read();
        buildDatabase(out.filePath(QStringLiteral("dbn.mdb")),
                      scripts(data, QStringLiteral("schema_station.sql"), QStringLiteral("dbn_*.sql")), texts);
        buildDatabase(out.filePath(QStringLiteral("db.mdb")),
                      scripts(data, QStringLiteral("schema.sql"), QStringLiteral("db_*.sql")), texts);
        {
            // The demo bookings' customers, as saving them would have kept them.
            Database db(out.filePath(QStringLiteral("db.mdb")));
            WriteTransaction tx(db);
            CustomerStore(db).rememberAllBookings();
            tx.commit();
        }
        copyFile(data.filePath(QStringLiteral("Info.doc")), out.filePath(QStringLiteral("Info.doc")));
    } catch (const SeedError &e) {
        std::fprintf(stderr, "torvane-mkdb: %s\n", qPrintable(e.message));
        return 1;
    } catch (const AppError &e) {
        std::fprintf(stderr, "torvane-mkdb: %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
