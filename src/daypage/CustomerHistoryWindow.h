#pragma once
#include "daypage/CustomerHistory.h"

#include <QWidget>
#include <functional>
#include <memory>

class AppState;
class Database;
class QLineEdit;
class QTableWidget;

// "Customer History": a search box (name, phone or vehicle), the customers it finds (name, phone,
// vehicle, last visit) and every booking of the chosen one, newest first. Enter or a double click
// on a booking opens its date on the day page with its cell current. Reads through a connection
// of its own; the lists are CustomerHistory's.
class CustomerHistoryWindow : public QWidget {
    Q_OBJECT
public:
    using CellOpener = std::function<void(const QDate &, int row, int col)>;
    static const QString Title;

    // Throws AppError when the shared database cannot be opened.
    CustomerHistoryWindow(AppState &state, CellOpener openCell, QWidget *parent);
    ~CustomerHistoryWindow() override;

    // The search box set to text and its customers listed, the first one chosen.
    void search(const QString &text);
    const QVector<CustomerStore::Customer> &customers() const { return m_customers; }
    const QVector<CustomerHistory::Visit> &visits() const { return m_visits; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void find(const QString &text);
    void chooseCustomer(int row);
    void openVisit(int row);

    AppState &m_state;
    CellOpener m_openCell;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<CustomerHistory> m_history;
    QVector<CustomerStore::Customer> m_customers;
    QVector<CustomerHistory::Visit> m_visits;
    QLineEdit *m_txtSearch = nullptr;
    QTableWidget *m_customerList = nullptr;
    QTableWidget *m_visitList = nullptr;
};
