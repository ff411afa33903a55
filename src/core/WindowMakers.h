#pragma once
#include <functional>

class AppState;
class QWidget;

// Windows a subsystem opens that belong to a folder above it: the main menu (back from the day
// page, a backup or the readme), the splash (after an installation), the day page and the
// template editor (after the office setup is saved), and the setup menu (from the main menu). The shell sets the
// makers when a station starts; an unset maker opens nothing. A maker returns null when its
// window could not be loaded (the program has ended then).
class WindowMakers {
public:
    using Maker = std::function<QWidget *(AppState &)>;

    void setMainMenu(Maker make) { m_mainMenu = std::move(make); }
    void setSplash(Maker make) { m_splash = std::move(make); }
    QWidget *mainMenu(AppState &state) const { return m_mainMenu ? m_mainMenu(state) : nullptr; }
    QWidget *splash(AppState &state) const { return m_splash ? m_splash(state) : nullptr; }
    void setSetupMenu(Maker make) { m_setupMenu = std::move(make); }
    QWidget *setupMenu(AppState &state) const { return m_setupMenu ? m_setupMenu(state) : nullptr; }
    void setDayPage(Maker make) { m_dayPage = std::move(make); }
    QWidget *dayPage(AppState &state) const { return m_dayPage ? m_dayPage(state) : nullptr; }
    // Until a template editor is set, the day page stands in for it.
    void setTemplateEditor(Maker make) { m_templateEditor = std::move(make); }
    QWidget *templateEditor(AppState &state) const
    {
        return m_templateEditor ? m_templateEditor(state) : dayPage(state);
    }

private:
    Maker m_mainMenu;
    Maker m_splash;
    Maker m_setupMenu;
    Maker m_dayPage;
    Maker m_templateEditor;
};
