#pragma once
#include <QWidget>

class AppState;

// The skill viewer ("Tech Skill Levels"): the first five skills, in skill order, held by the
// technician of one day page column, in the labels lblSkills_1 to lblSkills_5. Placed at
// bookingFormLeft, bookingFormTop (twips, relative to its opener). It has no buttons; the day
// page closes it.
class SkillViewWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int Lines = 5;
    // at: where it opens, in twips from the opener's top left.
    SkillViewWindow(AppState &state, int column, QPoint at, QWidget *opener);
};
