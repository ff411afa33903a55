#include "booking/TechSkills.h"

#include "core/ListText.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <optional>

namespace {
// Skill order; the editor and the viewer differ only in skill 8.
const char *const Captions[TechSkills::Count] = {"General Repair",  "Oil & Filters & Maintenance",
                                                 "Wheel Alignment", "Front End Suspension",
                                                 "Electrical",      "Air Conditioning",
                                                 "Engine",          "Transmission",
                                                 "Brakes",          "Body",
                                                 "Coolant System"};

AppError noSettings() { return AppError(ErrNo::NoCurrentRecord, QStringLiteral("No current record.")); }

} // namespace

QString TechSkills::editorCaption(int skill)
{
    return skill >= 1 && skill <= Count ? QLatin1String(Captions[skill - 1]) : QString();
}

QString TechSkills::viewerName(int skill)
{
    return skill == 8 ? QStringLiteral("Transmissions") : editorCaption(skill);
}

QString TechSkills::noSkills()
{
    QStringList zeros;
    for (int i = 0; i < Count; ++i)
        zeros << QStringLiteral("0");
    return zeros.join(QLatin1Char(' '));
}

TechSkills::TechSkills(const QString &stored)
{
    if (!stored.isEmpty())
        m_entries = stored.split(QLatin1Char('%'));
}

TechSkills::Levels TechSkills::levels(int column) const
{
    Levels out{};
    if (column < 1 || column > m_entries.size())
        return out;
    const QStringList values = m_entries.at(column - 1).split(QLatin1Char(' '));
    for (int i = 0; i < Count && i < values.size(); ++i)
        out[i] = values.at(i) == QLatin1String("1");
    return out;
}

bool TechSkills::holds(int column, int skill) const
{
    if (column < 1 || column > m_entries.size() || skill < 1 || skill > Count)
        return false;
    return plainItem(m_entries.at(column - 1), QLatin1Char(' '), skill - 1) == QLatin1String("1");
}

void TechSkills::setLevels(int column, const Levels &levels, int techCount)
{
    if (column < 1)
        return;
    while (m_entries.size() < qMax(column, techCount))
        m_entries << noSkills();
    QStringList values;
    for (bool held : levels)
        values << (held ? QStringLiteral("1") : QStringLiteral("0"));
    m_entries[column - 1] = values.join(QLatin1Char(' '));
}

QStringList TechSkills::heldNames(const Levels &levels, int max)
{
    QStringList out;
    for (int i = 0; i < Count && out.size() < max; ++i)
        if (levels[i])
            out << viewerName(i + 1);
    return out;
}

TechSkills TechSkills::read(Database &db)
{
    const std::optional<QString> stored = SettingsStore(db).skills();
    if (!stored)
        throw noSettings();
    return TechSkills(*stored);
}

void TechSkills::store(Database &db, int column, const Levels &levels)
{
    retryOnLock([&] {
        WriteTransaction tx(db);
        SettingsStore settings(db);
        const auto stored = settings.skillsRecord();
        if (!stored)
            throw noSettings();
        TechSkills skills(stored->skills);
        skills.setLevels(column, levels, stored->listno);
        settings.saveSkills(skills.text());
        tx.commit();
    });
}
