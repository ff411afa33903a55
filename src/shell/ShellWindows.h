#pragma once

class AppState;
class QWidget;

// The windows that let one subsystem's window open another's: only the shell knows them all.
namespace ShellWindows {
// Gives the station the makers its windows use to open the windows of folders above their own,
// and Ctrl+Q in all its windows.
void install(AppState &state);

// Creates the first window: the splash when this station is installed, the installation window
// otherwise. Returns the window shown, or null when the program ended.
QWidget *startUp(AppState &state);

// The template editor, opened by the main menu and by the office setup; null when loading failed
// (the program has ended).
QWidget *templates(AppState &state);
} // namespace ShellWindows
