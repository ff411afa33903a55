#pragma once
#include "booking/TechSkills.h"
#include "store/Database.h"

#include <QVector>
#include <QWidget>

class AppState;
class QCheckBox;

// The skill editor ("Skill Levels"): eleven check boxes chkSkills_1 to chkSkills_11 for the
// technician of one grid column, placed where its opener says (twips, relative to the opener).
// Closing it stores the ticks into that technician's entry of Skills and nothing else; when they
// cannot be stored the user is told and the window stays open with them.
class SkillsWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the technician's skills as stored now. Throws AppError.
    SkillsWindow(AppState &state, int column, const QString &techName, const QPoint &atTwips, QWidget *opener);
    int column() const { return m_column; }
    // Its width in twips: it opens to the left of a column far to the right.
    static constexpr int Width = 3060;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AppState &m_state;
    Database m_db;
    int m_column;
    QVector<QCheckBox *> m_chkSkills; // index 0 unused: the boxes are numbered from 1
};
