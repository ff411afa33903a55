#include "booking/BookingRecord.h"

#include "booking/BookingTimes.h"
#include "core/Numbers.h"
#include "store/CustomerStore.h"
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
    if (!m_open || m_new)
        throw AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record."));
    m_jobs->setBookmark(m_bookmark);
}

bool BookingRecord::seek(const Cell &cell, const PageLabels &labels)
{
    m_open = false;
    m_new = false;
    m_cell = cell;
    if (!m_jobs) {
        // Opened here, where a failure is reported as the slot taken and the form closes
        // through its usual path, which releases the claim.
        // Kept only once its index is chosen: a lock meeting setIndex is tried again from here.
        auto jobs = std::make_unique<Recordset>(m_db, JobTable);
        jobs->setIndex(QStringLiteral("bRecord"));
        m_jobs = std::move(jobs);
    }
    m_jobs->seek(QStringLiteral("="), {cell.date, cell.col, cell.row});
    if (m_jobs->noMatch()) {
        const ResultRows lists = m_db.select(QStringLiteral("SELECT \"dCity\", \"dProv\" FROM \"tbl_Setup2\" LIMIT 1"));
        m_newValues = {
            {QStringLiteral("bDate"), cell.date},
            {QStringLiteral("bCol"), cell.col},
            {QStringLiteral("bRow"), cell.row},
            {QStringLiteral("bName"), QStringLiteral("")},
            {QStringLiteral("bCity"), lists.value(0, QStringLiteral("dCity"))},
            {QStringLiteral("bProv"), lists.value(0, QStringLiteral("dProv"))},
            {QStringLiteral("bITime"), QStringLiteral("%%%%%%%%%%")},
            {QStringLiteral("bDrop"), QStringLiteral("08:00")},
            {QStringLiteral("bProm"), QStringLiteral("08:00")},
            {QStringLiteral("bPay"), QStringLiteral("Credit Card")},
            {QStringLiteral("bTech"), labels.tech},
            {QStringLiteral("bTime"), labels.time},
        };
        m_new = true;
    } else {
        m_bookmark = m_jobs->bookmark();
    }
    m_open = true;
    return m_new;
}

QVariant BookingRecord::field(const QString &name) const
{
    return m_new ? m_newValues.value(name) : m_jobs->field(name);
}

void BookingRecord::read()
{
    Read r;
    if (!m_new) {
        toRecord();
        r.id = m_bookmark;
        r.version = m_jobs->version();
    }
    for (int i = 0; i < BookingEntry::Count; ++i) {
        const QString name = BookingEntry::fieldName(BookingEntry::Id(i));
        if (name.isEmpty())
            continue;
        const QVariant value = field(name);
        if (!value.isNull())
            r.values[i] = value.toString();
    }
    const QVariant iTime = field(QStringLiteral("bITime"));
    if (!iTime.isNull()) {
        const auto times = BookingTimes::split(iTime.toString());
        for (int i = 0; i < BookingEntry::JobTimes; ++i)
            r.values[BookingEntry::time(i)] = times[i];
    }
    m_read = r;
}

void BookingRecord::checkUnchanged() const
{
    // Row versions count per record: another record in the cell may stand at the same number.
    if (m_bookmark != m_read.id || m_jobs->version() != m_read.version)
        throw AppError(ErrNo::RecordChanged, QStringLiteral("Record has been changed by another user."));
}

void BookingRecord::takeUpStored()
{
    m_jobs->seek(QStringLiteral("="), {m_cell.date, m_cell.col, m_cell.row});
    if (m_jobs->noMatch())
        return;
    m_bookmark = m_jobs->bookmark();
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
    return m_jobs->text(QStringLiteral("bName"));
}

float BookingRecord::save(const BookingEntries &form)
{
    using namespace BookingEntry;
    if (m_open && m_new) {
        takeUpStored();
        if (!m_new)
            checkUnchanged(); // stored by another station since this form opened the slot
        if (m_new) {
            m_jobs->addNew();
            for (auto it = m_newValues.cbegin(); it != m_newValues.cend(); ++it)
                m_jobs->setField(it.key(), it.value());
            for (Id id :
                 {Name,  Address, City,      Prov,      PostCode, Phone,  Vehicle, Make, Mainten, Menu1, Menu2,   Menu3,
                  Menu4, Menu5,   Internal1, Internal2, Other1,   Other2, TTime,   Drop, Prom,    Pay,   Comments})
                m_jobs->setField(fieldName(id), stored(form[id]));
            m_jobs->setField(QStringLiteral("bITime"), BookingTimes::join(form));
            try {
                m_jobs->update();
            } catch (...) {
                m_jobs->cancelUpdate();
                throw;
            }
            // Stored from here on, though the caller's transaction may still roll it back: the
            // caller opens the record again after a failure.
            m_bookmark = m_jobs->lastModified();
            m_new = false;
            rememberCustomer(form);
            return 0.0f;
        }
    }
    toRecord();
    m_jobs->edit();
    try {
        // On the record as edit read it, under the write lock: whatever another station saved
        // since this form read the record is never written over.
        checkUnchanged();
        for (Id id : {Name, Address, City, Prov, PostCode, Phone, Vehicle, Make, Mainten, Menu1, Menu2, Menu3, Menu4,
                      Menu5, Internal1, Internal2, Other1, Other2})
            m_jobs->setField(fieldName(id), stored(form[id]));
        m_jobs->setField(QStringLiteral("bITime"), BookingTimes::join(form));
        float oldTotal = 0.0f;
        const QVariant storedTotal = m_jobs->field(QStringLiteral("bTTime"));
        // The hours this record already holds on the page, even when the form ends on the same
        // total: a total changed and changed back must not count its hours twice.
        if (!storedTotal.isNull())
            oldTotal = leadingNumber(storedTotal.toString());
        for (Id id : {TTime, Drop, Prom, Pay, Comments})
            m_jobs->setField(fieldName(id), stored(form[id]));
        m_jobs->update();
        m_jobs->setBookmark(m_jobs->lastModified());
        rememberCustomer(form);
        return oldTotal;
    } catch (...) {
        m_jobs->cancelUpdate();
        throw;
    }
}

void BookingRecord::rememberCustomer(const BookingEntries &form)
{
    using namespace BookingEntry;
    CustomerStore(m_db).remember(m_cell.date, {form[Name],
                                               form[Phone],
                                               form[Address],
                                               form[City],
                                               form[Prov],
                                               form[PostCode],
                                               form[Vehicle],
                                               form[Make],
                                               {}});
}

float BookingRecord::remove()
{
    if (m_open && m_new) {
        m_open = false;
        return 0.0f;
    }
    toRecord();
    checkUnchanged();
    const float total = leadingNumber(m_jobs->text(QStringLiteral("bTTime")));
    m_jobs->deleteRecord();
    m_open = false;
    return total;
}
