#pragma once

class AppState;
class QWidget;
class DayPageWindow;

// The windows that let one subsystem's window open another's: only the shell knows them all.
namespace ShellWindows {
// Gives the station the makers its windows use to open the main menu and the splash.
void install(AppState &state);

// Creates the first window: the splash when this station is installed, the installation window
// otherwise. Returns the window shown, or null when the program ended.
QWidget *startUp(AppState &state);

// The day page with its booking window opener and print command; null when loading failed (the program has ended).
DayPageWindow *dayPage(AppState &state);
// Enter on a time slot of w opens the booking record window over it.
void openBookingsFrom(DayPageWindow &w, AppState &state);
// The print panel's Print opens the printable view of the choice over w.
void openPrintFrom(DayPageWindow &w);
// A right click on a technician column of w shows that technician's skills beside it.
void openSkillViewerFrom(DayPageWindow &w, AppState &state);
void openSlotFinderFrom(DayPageWindow &w, AppState &state);
// The template editor, opened by the main menu and by the office setup; null when loading failed
// (the program has ended).
QWidget *templates(AppState &state);
} // namespace ShellWindows
