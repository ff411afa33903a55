#pragma once
#include "booking/BookingPage.h"

class BookingDesk;
class DayPage;

// A booking's view of the day page: the page's grid and routines, and Enter on a time slot.
class DayPageBooking : public BookingPage {
public:
    explicit DayPageBooking(DayPage &page) : m_page(page) {}
    // The page's Delete key on a booked slot then deletes the booking as the booking form does.
    static void eraseBookingsOn(DayPage &page, BookingDesk &desk);

    QDate pageDate() const override;
    int rowCount() const override;
    QString text(int row, int col) const override;
    void setText(int row, int col, const QString &text) override;
    int color(int row, int col) const override;
    void setColor(int row, int col, int color) override;
    void setCurrentCell(int row, int col) override;
    bool pageLocked() const override;
    Claim claimSlot(int row, int col) override;
    Database &database() override;
    void writeTogether(const std::function<void()> &change) override;
    void releaseClaim(int row, int col) override;
    void bookingClosed(int row, int col) override;
    void refreshGrid() override;
    void sumTotal() override;
    void txtTotal() override;
    void paintSpan(int cells, int color, int cellColor) override;

private:
    DayPage &m_page;
};
