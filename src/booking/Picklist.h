#pragma once
#include "booking/BookingEntries.h"

#include <QString>
#include <QStringList>
#include <QVector>

class Database;

// The six picklists of the settings and what a pick writes into a booking form. Widget-free: the
// editor windows show one Picklist each.
enum class PicklistKind { Mainten, MenuItems, Internal, Vehicle, Make, Address };

// One column of an editor's boxes, stored in one field of the picklist record.
struct PicklistColumn {
    QString control; // txtM, txtTime, txtPrice, txtDCity, txtDProv, txtOProv
    QString field;
    int count = 1;
    bool list = true; // entries each followed by "%"; otherwise one plain text
};

class Picklist {
public:
    explicit Picklist(PicklistKind kind);

    PicklistKind kind() const { return m_kind; }
    QString formName() const; // frmMainten, frmMenuItems, ...
    QString caption() const;
    const QVector<PicklistColumn> &columns() const { return m_columns; }
    bool isJobList() const; // names with times and prices; has "Info"
    // Picks kept before they go to the form: 5 menu items, 2 internal jobs; 0 for single picks.
    int multiPick() const;

    QString text(int column, int index) const { return m_texts.at(column).at(index); }
    // Refuses a "%" in a list entry: it would split the entry in two and move every later
    // entry of the list, and of its parallel lists, by one.
    bool setText(int column, int index, const QString &text);
    static bool acceptable(const PicklistColumn &column, const QString &text);

    // Reads the fields of the one picklist record; entries a short list does not reach stay
    // empty, surplus entries are ignored.
    void load(Database &db);
    // Writes every field of this editor in one update.
    void save(Database &db);

    static QStringList readList(const QString &text, int count);
    static QString buildList(const QStringList &entries);

    // A pick into the booking form.
    struct Write {
        BookingEntry::Id entry;
        QString text;
    };
    struct Pick {
        QVector<Write> writes;
        bool total = false; // job times changed: the form recomputes its total
    };
    // Single-pick editors: the press on a box. Empty for a box that picks nothing.
    Pick pick(int column, int index) const;

    // Multi-pick editors: the selection marks, applied in list order on close.
    void toggle(int index);
    bool isSelected(int index) const { return m_selected.value(index); }
    void clearSelection();
    Pick applySelection() const;

private:
    PicklistKind m_kind;
    QVector<PicklistColumn> m_columns;
    QVector<QStringList> m_texts;
    QVector<bool> m_selected;
};
