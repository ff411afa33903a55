#pragma once
#include "store/CustomerStore.h"

#include <QObject>
#include <functional>

class Database;
class QCompleter;
class QLineEdit;
class QStandardItemModel;

// The known customers offered under the name and phone boxes of the booking form: each edit by
// the user looks them up (two letters of a name, three digits of a phone) and shows at most ten,
// newest visit first; Down, Up and Enter or a click choose one, Esc or typing on closes the list.
class CustomerCompleter : public QObject {
    Q_OBJECT
public:
    using Chosen = std::function<void(const CustomerStore::Customer &)>;
    CustomerCompleter(Database &db, QLineEdit *name, QLineEdit *phone, Chosen chosen, QObject *parent);

    // One line of the list: name, phone, vehicle and make, last visit.
    static QString rowText(const CustomerStore::Customer &c);
    const QVector<CustomerStore::Customer> &offered() const { return m_offered; }
    QCompleter *completer(QLineEdit *field) const;

private:
    void typed(QLineEdit *field, const QString &text);

    Database &m_db;
    Chosen m_chosen;
    QStandardItemModel *m_model;
    QCompleter *m_forName;
    QCompleter *m_forPhone;
    QVector<CustomerStore::Customer> m_offered;
};
