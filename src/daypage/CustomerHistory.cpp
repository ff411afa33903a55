#include "daypage/CustomerHistory.h"

#include "core/ListText.h"
#include "store/BookingStore.h"
#include "store/SettingsStore.h"

QVector<CustomerStore::Customer> CustomerHistory::search(const QString &typed)
{
    return CustomerStore(m_db).find(typed);
}

QVector<CustomerHistory::Visit> CustomerHistory::visits(const CustomerStore::Customer &customer)
{
    using namespace BookingField;
    const QString nameKey = CustomerStore::foldedName(customer.name);
    const QString phoneKey = CustomerStore::phoneDigits(customer.phone);
    QVector<Visit> out;
    QStringList office; // the technicians' names now, for a booking that kept none
    for (const StoredBooking &b : BookingStore(m_db).namedAs(CustomerStore(m_db).spellings(nameKey))) {
        // The same name with another phone is another customer.
        if (CustomerStore::phoneDigits(b.text(Phone)) != phoneKey)
            continue;
        Visit v{b.date,
                b.row,
                b.col,
                b.text(Time).trimmed(),
                b.text(Tech).trimmed(),
                {},
                b.text(TTime).trimmed(),
                b.text(Comments).trimmed()};
        if (v.tech.isEmpty()) {
            if (office.isEmpty())
                office = splitList(SettingsStore(m_db).office().names);
            v.tech = office.value(b.col).trimmed();
            if (v.tech.isEmpty())
                v.tech = QStringLiteral("Column %1").arg(b.col);
        }
        QStringList jobs;
        for (Id f : {Mainten, Menu1, Menu2, Menu3, Menu4, Menu5, Internal1, Internal2, Other1, Other2})
            if (!b.text(f).trimmed().isEmpty())
                jobs << b.text(f).trimmed();
        v.jobs = jobs.join(QStringLiteral(", "));
        out << v;
    }
    return out;
}
