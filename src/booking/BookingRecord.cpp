#include "booking/BookingRecord.h"

#include "core/Numbers.h"
#include "booking/BookingTimes.h"
#include "daypage/PageText.h"
#include "store/Database.h"

namespace {
const QString JobTable = QStringLiteral("tbl_Job");

// A control's empty text is stored as empty text, not as "no value".
QString stored(const QString &s) { return s.isNull() ? QStringLiteral("") : s; }
} // namespace

BookingRecord::BookingRecord(Database &db) : m_db(db) {}

BookingRecord::~BookingRecord() = default;

void BookingRecord::toRecord()
{
    if (!m_open)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    m_jobs->setBookmark(m_bookmark);
}

bool BookingRecord::seek(const Cell &cell, const PageLabels &labels)
{
    m_open = false;
    m_cell = cell;
    if (!m_jobs) {
        // Opened here, where a failure is reported as the slot taken and the form closes
        // through its usual path, which releases the claim.
        m_jobs = std::make_unique<Recordset>(m_db, JobTable);
        m_jobs->setIndex(QStringLiteral("bRecord"));
    }
    m_jobs->seek(QStringLiteral("="), {cell.date, cell.col, cell.row});
    bool created = false;
    if (m_jobs->noMatch()) {
        const ResultRows lists = m_db.select(QStringLiteral("SELECT dCity, dProv FROM tbl_Setup2 LIMIT 1"));
        m_jobs->addNew();
        m_jobs->setField(QStringLiteral("bDate"), cell.date);
        m_jobs->setField(QStringLiteral("bCol"), cell.col);
        m_jobs->setField(QStringLiteral("bRow"), cell.row);
        m_jobs->setField(QStringLiteral("bName"), QStringLiteral(""));
        m_jobs->setField(QStringLiteral("bCity"), lists.value(0, QStringLiteral("dCity")));
        m_jobs->setField(QStringLiteral("bProv"), lists.value(0, QStringLiteral("dProv")));
        m_jobs->setField(QStringLiteral("bITime"), QStringLiteral("%%%%%%%%%%"));
        m_jobs->setField(QStringLiteral("bDrop"), QStringLiteral("08:00"));
        m_jobs->setField(QStringLiteral("bProm"), QStringLiteral("08:00"));
        m_jobs->setField(QStringLiteral("bPay"), QStringLiteral("Credit Card"));
        m_jobs->setField(QStringLiteral("bTech"), labels.tech);
        m_jobs->setField(QStringLiteral("bTime"), labels.time);
        m_jobs->update();
        m_jobs->setBookmark(m_jobs->lastModified());
        created = true;
    }
    m_bookmark = m_jobs->bookmark();
    m_open = true;
    return created;
}

BookingValues BookingRecord::values()
{
    BookingValues v;
    toRecord();
    for (int i = 0; i < BookingEntry::Count; ++i) {
        const QString field = BookingEntry::fieldName(BookingEntry::Id(i));
        if (field.isEmpty())
            continue;
        const QVariant value = m_jobs->field(field);
        if (!value.isNull())
            v[i] = value.toString();
    }
    const QVariant iTime = m_jobs->field(QStringLiteral("bITime"));
    if (!iTime.isNull()) {
        const auto times = BookingTimes::split(iTime.toString());
        for (int i = 0; i < BookingEntry::JobTimes; ++i)
            v[BookingEntry::time(i)] = times[i];
    }
    return v;
}

QString BookingRecord::storedName()
{
    toRecord();
    return m_jobs->text(QStringLiteral("bName"));
}

float BookingRecord::save(const BookingEntries &form)
{
    using namespace BookingEntry;
    toRecord();
    m_jobs->edit();
    try {
        // The name check again on the record as edit read it: a booking another station saved
        // since the Save command looked is never written over.
        const QString storedName = m_jobs->text(QStringLiteral("bName"));
        if (!storedName.isEmpty() && PageText::pastedCellText(storedName) != form[Name])
            throw AppError(ErrNo::RecordChanged, QStringLiteral("Record has been changed by another user."));
        for (Id id : {Name, Address, City, Prov, PostCode, Phone, Vehicle, Make, Mainten, Menu1, Menu2, Menu3,
                      Menu4, Menu5, Internal1, Internal2, Other1, Other2})
            m_jobs->setField(fieldName(id), stored(form[id]));
        m_jobs->setField(QStringLiteral("bITime"), BookingTimes::join(form));
        float oldTotal = 0.0f;
        const QVariant storedTotal = m_jobs->field(QStringLiteral("bTTime"));
        // The hours this record already holds on the page, even when the form ends on the same
        // total: a total changed and changed back must not count its hours twice.
        if (!storedTotal.isNull())
            oldTotal = LeadingNumber(storedTotal.toString());
        for (Id id : {TTime, Drop, Prom, Pay, Comments})
            m_jobs->setField(fieldName(id), stored(form[id]));
        m_jobs->update();
        m_jobs->setBookmark(m_jobs->lastModified());
        return oldTotal;
    } catch (...) {
        m_jobs->cancelUpdate();
        throw;
    }
}

float BookingRecord::remove()
{
    toRecord();
    const float total = LeadingNumber(m_jobs->text(QStringLiteral("bTTime")));
    m_jobs->deleteRecord();
    m_open = false;
    return total;
}
