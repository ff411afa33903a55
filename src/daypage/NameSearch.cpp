#include "daypage/NameSearch.h"

#include "daypage/PageStore.h"

void NameSearch::start(const QString &name)
{
    m_name = name;
    m_position = QDate();
    m_found = false;
}

NameSearch::Answer NameSearch::next()
{
    if (const auto hit = m_store.findName(m_name, m_position)) {
        m_position = *hit;
        m_found = true;
        return Answer::Found;
    }
    return m_found ? Answer::Complete : Answer::Unsuccessful;
}

QString NameSearch::text(Answer a)
{
    switch (a) {
    case Answer::Found: return QStringLiteral("Search successful. Continue search?");
    case Answer::Complete: return QStringLiteral("Search complete. Do another search?");
    case Answer::Unsuccessful: break;
    }
    return QStringLiteral("Search unsuccessful!  Search again with different Name spelling?");
}
