#pragma once
#include "daypage/PageStore.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVector>

// Where a job of some hours fits: the first places, in date and time order, where the cells a
// booking of those hours would shade from its start cell (an hour of slots per hour, lunch cells
// passed over as the shading passes over them) are all free: no text and no colour of their own, on an
// open day, for a technician holding the skill asked for. Skills are those of the office settings
// as kept now. A date without a page is judged from its weekday template as a new page would be
// made and first shown. Only reads: no page is made or written and no lock is held.
class SlotFinder {
public:
    static constexpr float MinHours = 0.5f;
    static constexpr float MaxHours = 9.0f;

    struct Query {
        float hours = 1.0f; // held between MinHours and MaxHours, as a booking's span is
        int skill = 0;      // 1 to 11; 0 for any technician
        int tech = 0;       // technician column; 0 for any
        QDate first;
        int days = 14;
        int limit = 10;
        QDateTime notBefore; // places starting earlier are past; invalid for none
    };
    struct Place {
        QDate date;
        int row = 0; // grid row of the start slot
        int col = 0; // technician column
        QString tech;
        QTime start;
        QTime end; // the end of the last shaded cell
    };

    explicit SlotFinder(PageStore &store) : m_store(store) {}

    // Throws AppError when the pages or settings cannot be read.
    QVector<Place> find(const Query &query);
    // The place judged again on the page as stored now. Throws AppError.
    bool stillFits(const Place &place, float hours);

private:
    PageStore &m_store;
};
