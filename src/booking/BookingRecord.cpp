#include "booking/BookingRecord.h"

#include "booking/BookingTimes.h"
#include "core/Numbers.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

namespace {
// A control's empty text is stored as empty text, not as "no value".
QString stored(const QString &s) { return s.isNull() ? QStringLiteral("") : s; }

AppError changed()
{
    return AppError(ErrNo::RecordChanged, QStringLiteral("Record has been changed by another user."));
}

// The form's texts into a record's fields; the cell, technician and time label stay.
void fill(StoredBooking &b, const BookingEntries &form)
{
    for (int i = 0; i < BookingEntry::Count; ++i)
        if (const auto f = BookingEntry::storedField(BookingEntry::Id(i)))
            b.fields[*f] = stored(form[i]);
    b.fields[BookingField::ITime] = BookingTimes::join(form);
}
} // namespace

BookingRecord::BookingRecord(Database &db) : m_db(db), m_store(db) {}

BookingRecord::~BookingRecord() = default;

void BookingRecord::toRecord() const
{
    if (!m_open || m_new)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
}

bool BookingRecord::seek(const Cell &cell, const PageLabels &labels)
{
    m_open = false;
    m_new = false;
    m_cell = cell;
    const std::optional<qint64> id = m_store.find(cell.date, cell.col, cell.row);
    if (!id) {
        const SettingsStore::Place place = SettingsStore(m_db).defaultPlace();
        StoredBooking b;
        b.date = cell.date;
        b.col = cell.col;
        b.row = cell.row;
        b.fields[BookingField::Name] = QStringLiteral("");
        b.fields[BookingField::City] = place.city;
        b.fields[BookingField::Prov] = place.prov;
        b.fields[BookingField::ITime] = QStringLiteral("%%%%%%%%%%");
        b.fields[BookingField::Drop] = QStringLiteral("08:00");
        b.fields[BookingField::Prom] = QStringLiteral("08:00");
        b.fields[BookingField::Pay] = QStringLiteral("Credit Card");
        b.fields[BookingField::Tech] = labels.tech;
        b.fields[BookingField::Time] = labels.time;
        m_newRecord = b;
        m_new = true;
    } else {
        m_id = *id;
    }
    m_open = true;
    return m_new;
}

void BookingRecord::read()
{
    Read r;
    if (m_new) {
        r.record = m_newRecord;
    } else {
        toRecord();
        r.record = m_store.read(m_id);
    }
    for (int i = 0; i < BookingEntry::Count; ++i) {
        const auto f = BookingEntry::storedField(BookingEntry::Id(i));
        if (f && !r.record.fields[*f].isNull())
            r.values[i] = r.record.fields[*f].toString();
    }
    const QVariant iTime = r.record.fields[BookingField::ITime];
    if (!iTime.isNull()) {
        const auto times = BookingTimes::split(iTime.toString());
        for (int i = 0; i < BookingEntry::JobTimes; ++i)
            r.values[BookingEntry::time(i)] = times[i];
    }
    m_read = r;
}

void BookingRecord::checkSameRecord()
{
    if (m_id == m_read.record.id)
        return;
    m_store.read(m_id); // a record gone meanwhile is reported as gone
    throw changed();
}

void BookingRecord::takeUpStored()
{
    const std::optional<qint64> id = m_store.find(m_cell.date, m_cell.col, m_cell.row);
    if (!id)
        return;
    m_id = *id;
    m_new = false;
}

QString BookingRecord::storedName()
{
    if (m_open && m_new) {
        takeUpStored();
        if (m_new)
            return QString();
    }
    toRecord();
    return m_store.read(m_id).text(BookingField::Name);
}

float BookingRecord::save(const BookingEntries &form)
{
    if (m_open && m_new) {
        takeUpStored();
        if (!m_new)
            throw changed(); // stored by another station since this form opened the slot
        StoredBooking b = m_newRecord;
        fill(b, form);
        // Stored from here on, though the caller's transaction may still roll it back: the
        // caller opens the record again after a failure.
        m_id = m_store.insert(b);
        m_new = false;
        return 0.0f;
    }
    toRecord();
    // Under the write lock, against the version read: whatever another station saved since this
    // form read the record is never written over.
    checkSameRecord();
    StoredBooking b = m_read.record;
    fill(b, form);
    const StoredBooking before = m_store.update(b);
    // The hours this record already holds on the page, even when the form ends on the same
    // total: a total changed and changed back must not count its hours twice.
    const QVariant storedTotal = before.fields[BookingField::TTime];
    return storedTotal.isNull() ? 0.0f : leadingNumber(storedTotal.toString());
}

float BookingRecord::remove()
{
    if (m_open && m_new) {
        m_open = false;
        return 0.0f;
    }
    toRecord();
    if (m_id != m_read.record.id)
        throw changed();
    const StoredBooking before = m_store.remove(m_read.record);
    m_open = false;
    return leadingNumber(before.text(BookingField::TTime));
}
