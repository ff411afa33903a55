#pragma once
#include <QDate>
#include <QString>
#include <QVector>
#include <memory>

struct sqlite3;

// The engine's floor for the work the program does: plain SQL through SQLite's own interface on
// the same file, each statement prepared once, with the engine's default settings but the
// program's journal and sync modes. A database on a server has no such floor here: nothing is
// opened and available() is false.
class Floors {
public:
    explicit Floors(const QString &dbPath);
    ~Floors();
    bool available() const { return m_db != nullptr; }

    // One page record found by its date, every field read.
    void pointLookup(const QDate &date);
    // The pages of a date range in one statement, every field read; returns how many.
    int pageRange(const QDate &from, const QDate &to);
    // Every page text searched for a name, ignoring case; returns the pages that hold it.
    int scan(const QString &name);
    // The newest ten customers with a key starting with key, every shown field read; returns how
    // many.
    int customerLookup(const QString &key);
    // One write transaction that stores a page's text and colour list.
    void pageWrite(const QDate &date, const QString &data, const QString &color);

    static QString sqliteVersion();

private:
    struct Statements;
    sqlite3 *m_db = nullptr;
    std::unique_ptr<Statements> m_st;
};
