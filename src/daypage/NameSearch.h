#pragma once
#include <QDate>
#include <QString>
#include <optional>

class PageStore;

// The search for a name through the pages, from the latest page back in date order. Each step
// finds the next earlier page whose text holds the name, ignoring case.
class NameSearch {
public:
    enum class Answer { Found, Complete, Unsuccessful };

    explicit NameSearch(PageStore &store) : m_store(store) {}

    void start(const QString &name);
    // The next hit, or the end of the search; hitDate() is the page found.
    Answer next();
    QDate hitDate() const { return m_position; }
    const QString &name() const { return m_name; }

    static QString text(Answer a);

private:
    PageStore &m_store;
    QString m_name;
    QDate m_position; // the last page found; the next step looks before it
    bool m_found = false;
};
