#pragma once
#include <QDate>
#include <QString>
#include <optional>

// Reads a date typed in the system's short-date order, as the user types it: "10/10/1999",
// "10-10-2000", "1.2.99". Separators "/", "-" and "." are accepted; a two-digit year means
// 1930 to 2029. A four-digit first number is always a year (ISO "1999-12-31").
class ShortDate {
public:
    enum Order { MonthDayYear, DayMonthYear, YearMonthDay };

    explicit ShortDate(Order order) : m_order(order) {}
    // The order of the system's short-date format; month first where the system names none.
    static ShortDate system();

    Order order() const { return m_order; }
    std::optional<QDate> parse(const QString &text) const;

private:
    Order m_order;
};
