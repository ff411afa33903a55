#include "booking/CustomerCompleter.h"

#include "core/DiagnosticLog.h"
#include "store/AppError.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QLocale>
#include <QStandardItemModel>

CustomerCompleter::CustomerCompleter(Database &db, QLineEdit *name, QLineEdit *phone, Chosen chosen, QObject *parent)
    : QObject(parent), m_db(db), m_chosen(std::move(chosen)), m_model(new QStandardItemModel(this))
{
    auto make = [this](QLineEdit *field) {
        auto *c = new QCompleter(m_model, this);
        c->setObjectName(field->objectName() + QStringLiteral("Customers"));
        // The list is the look-up's answer as it stands: the completer neither filters nor types.
        c->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
        c->setMaxVisibleItems(CustomerStore::MaxListed);
        c->setWidget(field);
        c->popup()->setObjectName(QStringLiteral("lstCustomers"));
        connect(c, qOverload<const QModelIndex &>(&QCompleter::activated), this, [this](const QModelIndex &index) {
            if (index.row() >= 0 && index.row() < m_offered.size())
                m_chosen(m_offered.at(index.row()));
        });
        connect(field, &QLineEdit::textEdited, this, [this, field](const QString &text) { typed(field, text); });
        return c;
    };
    m_forName = make(name);
    m_forPhone = make(phone);
}

QCompleter *CustomerCompleter::completer(QLineEdit *field) const
{
    return field == m_forName->widget() ? m_forName : field == m_forPhone->widget() ? m_forPhone : nullptr;
}

QString CustomerCompleter::rowText(const CustomerStore::Customer &c)
{
    QStringList parts{c.name};
    for (const QString &part : {c.phone, QStringLiteral("%1 %2").arg(c.vehicle, c.make).trimmed()})
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    if (c.lastVisit.isValid())
        parts << QLocale().toString(c.lastVisit, QLocale::ShortFormat);
    return parts.join(QStringLiteral("  \u2013  "));
}

void CustomerCompleter::typed(QLineEdit *field, const QString &text)
{
    QCompleter *c = completer(field);
    try {
        m_offered = CustomerStore(m_db).lookup(text);
    } catch (const AppError &e) {
        // The look-up is a help only: a busy database leaves the box to plain typing.
        DiagnosticLog::passedOver(QStringLiteral("Customer look-up"), e);
        m_offered.clear();
    }
    m_model->clear();
    for (const CustomerStore::Customer &customer : m_offered)
        m_model->appendRow(new QStandardItem(rowText(customer)));
    if (m_offered.isEmpty()) {
        c->popup()->hide();
        return;
    }
    c->complete(field->rect().adjusted(0, 0, 240, 0));
}
