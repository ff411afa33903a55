#include "store/SettingsStore.h"

#include "store/Database.h"
#include "store/Recordset.h"

const QString SettingsStore::SetupTable = QStringLiteral("tbl_Setup");
const QString SettingsStore::ListsTable = QStringLiteral("tbl_Setup2");

namespace {
AppError noRecord() { return AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record.")); }

// By weekday number, Sunday 1.
const char *const TemplateFields[] = {nullptr, "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

QString templateField(int weekday)
{
    if (weekday < 1 || weekday > 7)
        throw AppError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return QLatin1String(TemplateFields[weekday]);
}

QString closedField(int weekday) { return QStringLiteral("chk%1").arg(weekday); }

const char *widthsField(SettingsStore::Widths which)
{
    switch (which) {
    case SettingsStore::Widths::DayView: return "PWidth";
    case SettingsStore::Widths::RecordsView: return "DWidth";
    case SettingsStore::Widths::DayPage: break;
    }
    return "cwidth";
}

struct PreviewFields {
    const char *mode, *fill;
};
PreviewFields previewFields(SettingsStore::Preview which)
{
    return which == SettingsStore::Preview::DayView ? PreviewFields{"Printmode", "FillPage"}
                                                    : PreviewFields{"dMode", "dFillPage"};
}

QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }
} // namespace

OfficeSettings SettingsStore::office()
{
    const ResultRows r = m_db.select(QStringLiteral(
        "SELECT location, open, \"Close\", lunchstart, lunchclose, timeslot, \"RHeight\", \"Listno\", \"Sites\", "
        "\"Names\", \"Skills\", \"Spare\", cwidth, \"FixedMemo\", \"Lblcolors\", \"Sun\", \"Mon\", \"Tue\", "
        "\"Wed\", \"Thu\", \"Fri\", \"Sat\", chk1, chk2, chk3, chk4, chk5, chk6, chk7 FROM \"tbl_Setup\" LIMIT 1"));
    if (r.isEmpty())
        throw noRecord();
    auto text = [&](const char *name) { return r.value(0, QLatin1String(name)).toString(); };
    OfficeSettings s;
    s.location = text("location");
    s.open = text("open");
    s.close = text("Close");
    s.lunchStart = text("lunchstart");
    s.lunchClose = text("lunchclose");
    s.timeslot = r.value(0, QStringLiteral("timeslot")).toInt();
    s.rHeight = r.value(0, QStringLiteral("RHeight")).toInt();
    s.listno = r.value(0, QStringLiteral("Listno")).toInt();
    s.sites = text("Sites");
    s.names = text("Names");
    s.skills = text("Skills");
    s.spare = text("Spare");
    s.cwidth = text("cwidth");
    s.fixedMemo = text("FixedMemo");
    s.lblColors = text("Lblcolors");
    for (int d = 1; d <= 7; ++d) {
        const QVariant v = r.value(0, QLatin1String(TemplateFields[d]));
        s.templates[d] = v.isNull() ? QVariant() : QVariant(v.toString());
        s.closed[d] = r.value(0, closedField(d)).toInt() != 0;
    }
    return s;
}

SettingsStore::Layout SettingsStore::layout()
{
    const ResultRows r = m_db.select(QStringLiteral("SELECT \"RHeight\", cwidth FROM \"tbl_Setup\" LIMIT 1"));
    if (r.isEmpty())
        throw noRecord();
    return {r.rows[0][0].toInt(), r.rows[0][1].toString()};
}

QString SettingsStore::layoutColumns()
{
    return QStringLiteral(
        "(SELECT \"RHeight\" FROM \"tbl_Setup\" LIMIT 1), (SELECT cwidth FROM \"tbl_Setup\" LIMIT 1)");
}

std::optional<SettingsStore::Layout> SettingsStore::layoutFrom(const QVariant &rHeight, const QVariant &cwidth)
{
    if (rHeight.isNull())
        return std::nullopt;
    return Layout{rHeight.toInt(), cwidth.toString()};
}

void SettingsStore::saveOffice(const OfficeHours &h)
{
    m_db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET location = ?, open = ?, \"Close\" = ?, timeslot = ?, "
                                "\"RHeight\" = ?, \"Listno\" = ?, \"Sites\" = ?, \"Names\" = ?, cwidth = ?, "
                                "\"Skills\" = ?, rowver = rowver + 1"),
                 {h.location, h.open, h.close, h.timeslot, h.rHeight, h.listno, h.sites, h.names, h.cwidth, h.skills});
}

SettingsStore::DayTemplate SettingsStore::dayTemplate(int weekday)
{
    const ResultRows r = m_db.select(QStringLiteral("SELECT %1, %2 FROM \"tbl_Setup\" LIMIT 1")
                                         .arg(quoted(templateField(weekday)), closedField(weekday)));
    if (r.isEmpty())
        throw noRecord();
    const QVariant text = r.rows[0][0];
    return {text.isNull() ? QVariant() : QVariant(text.toString()), r.rows[0][1].toInt() != 0};
}

void SettingsStore::saveDayTemplate(int weekday, const QString &text, bool closed, const QString &cwidth)
{
    update(QStringLiteral("%1 = ?, %2 = ?, cwidth = ?").arg(quoted(templateField(weekday)), closedField(weekday)),
           {text, closed, cwidth});
}

void SettingsStore::moveDayTemplate(int weekday, const QString &text)
{
    // Part of the office's own write, which bumps the row version.
    m_db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET %1 = ?").arg(quoted(templateField(weekday))), {text});
}

std::optional<QString> SettingsStore::skills()
{
    std::optional<QString> stored;
    m_db.scan(QStringLiteral("SELECT \"Skills\" FROM \"tbl_Setup\" LIMIT 1"), {},
              [&stored](const RowView &r) { stored = QString::fromUtf8(r.text(0)); });
    return stored;
}

std::optional<SettingsStore::SkillsRecord> SettingsStore::skillsRecord()
{
    const ResultRows r = m_db.select(QStringLiteral("SELECT \"Skills\", \"Listno\" FROM \"tbl_Setup\" LIMIT 1"));
    if (r.isEmpty())
        return std::nullopt;
    return SkillsRecord{r.rows[0][0].toString(), r.rows[0][1].toInt()};
}

void SettingsStore::saveSkills(const QString &skills)
{
    m_db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"Skills\" = ?, rowver = rowver + 1"), {skills});
}

QString SettingsStore::legendCaptions()
{
    return m_db.scalar(QStringLiteral("SELECT \"Lblcolors\" FROM \"tbl_Setup\" LIMIT 1")).toString();
}

void SettingsStore::saveLegendCaptions(const QString &joined) { update(QStringLiteral("\"Lblcolors\" = ?"), {joined}); }

QString SettingsStore::widths(Widths which) { return text(widthsField(which)); }

void SettingsStore::saveWidths(Widths which, const QString &list)
{
    update(quoted(QLatin1String(widthsField(which))) + QStringLiteral(" = ?"), {list});
}

SettingsStore::PreviewChoice SettingsStore::preview(Preview which)
{
    const PreviewFields f = previewFields(which);
    const ResultRows r =
        m_db.select(QStringLiteral("SELECT %1, %2 FROM \"tbl_Setup\" LIMIT 1").arg(quoted(f.mode), quoted(f.fill)));
    if (r.isEmpty())
        throw noRecord();
    return {r.rows[0][0].toInt(), r.rows[0][1].toInt() != 0};
}

void SettingsStore::savePreview(Preview which, const PreviewChoice &choice)
{
    const PreviewFields f = previewFields(which);
    update(QStringLiteral("%1 = ?, %2 = ?").arg(quoted(f.mode), quoted(f.fill)), {choice.mode, choice.fill ? 1 : 0});
}

QStringList SettingsStore::lists(const QStringList &fields)
{
    QStringList columns;
    for (const QString &f : fields)
        columns << quoted(f);
    const ResultRows r =
        m_db.select(QStringLiteral("SELECT %1 FROM \"tbl_Setup2\" LIMIT 1").arg(columns.join(QLatin1Char(','))));
    QStringList out;
    for (const QString &f : fields)
        out << r.value(0, f).toString();
    return out;
}

void SettingsStore::saveLists(const QStringList &fields, const QStringList &values)
{
    Recordset lists(m_db, ListsTable);
    lists.edit();
    for (int i = 0; i < fields.size(); ++i) {
        const QString &value = values.value(i);
        lists.setField(fields.at(i), value.isNull() ? QStringLiteral("") : value);
    }
    lists.update();
}

SettingsStore::Place SettingsStore::defaultPlace()
{
    const ResultRows r = m_db.select(QStringLiteral("SELECT \"dCity\", \"dProv\" FROM \"tbl_Setup2\" LIMIT 1"));
    return {r.value(0, QStringLiteral("dCity")), r.value(0, QStringLiteral("dProv"))};
}

QString SettingsStore::text(const char *field)
{
    const ResultRows r =
        m_db.select(QStringLiteral("SELECT \"%1\" FROM \"tbl_Setup\" LIMIT 1").arg(QLatin1String(field)));
    if (r.isEmpty())
        throw noRecord();
    return r.rows.first().first().toString();
}

void SettingsStore::saveText(const char *field, const std::optional<QString> &base, const QString &text)
{
    WriteTransaction tx(m_db);
    const QString stored = this->text(field);
    if (base && stored != *base && stored != text)
        throw AppError(ErrNo::PageChanged, QStringLiteral("Another station has changed this text."));
    m_db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"%1\" = ?, rowver = rowver + 1").arg(QLatin1String(field)),
                 {text});
    tx.commit();
}

void SettingsStore::update(const QString &sets, const QVariantList &binds)
{
    WriteTransaction tx(m_db);
    if (m_db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET %1, rowver = rowver + 1").arg(sets), binds) == 0)
        throw noRecord();
    tx.commit();
}
