#pragma once
#include <QString>
#include <QStringList>
#include <array>

class Database;

// The skills of every technician as the office keeps them in Skills: one entry per technician in
// column order, joined by "%"; an entry is eleven values separated by blanks, "1" held, anything
// else not. A list shorter than the technicians (technicians added since it was written) reads as
// no skills for those without an entry, and grows with "no skills" entries when one is written.
class TechSkills {
public:
    static constexpr int Count = 11;
    using Levels = std::array<bool, Count>;

    // Skill 1 to 11 as the editor's check box shows it, and as the viewer names it.
    static QString editorCaption(int skill);
    static QString viewerName(int skill);
    // The entry of a technician with none: eleven "0".
    static QString noSkills();

    explicit TechSkills(const QString &stored = QString());

    // The technician of grid column c (1 = first).
    Levels levels(int column) const;
    // levels(column)[skill - 1] without splitting the entry: skill 1 to 11.
    bool holds(int column, int skill) const;
    // Writes the technician's entry; the list is padded to at least techCount entries.
    void setLevels(int column, const Levels &levels, int techCount);
    QString text() const { return m_entries.join(QLatin1Char('%')); }

    // Names of the skills held, in skill order, at most max of them.
    static QStringList heldNames(const Levels &levels, int max);

    // The Skills field as stored now. Throws AppError.
    static TechSkills read(Database &db);
    // One technician's entry written into the list as stored at that moment, in one write
    // transaction, so the other technicians' entries are never written back stale. Throws AppError.
    static void store(Database &db, int column, const Levels &levels);

private:
    QStringList m_entries;
};
