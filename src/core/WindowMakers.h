#pragma once
#include <QPoint>
#include <functional>

class AppState;
class QWidget;
struct BookingCell;

// The one way a window opens a window of a folder above its own: the main menu (back from the day
// page, a backup or the readme), the splash (after an installation), the day page and the
// template editor (after the office setup is saved), the setup menu (from the main menu), and
// the windows over the day page. The shell sets the makers when a station starts; an unset maker
// opens nothing. A maker returns null when its window could not be loaded or shown.
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

    // Windows opened over the day page window `over`: the booking record window of a slot (and
    // how the day page closes it, which may keep it open to save what was typed), the skill
    // viewer of a technician column at a place in twips, the Find a Slot window, the export
    // window, and the printable view of the print panel's choice (0 weekly, 1 daily summary, 2 daily details).
    using BookingMaker = std::function<QWidget *(AppState &, QWidget *over, const BookingCell &)>;
    using Closer = std::function<void(QWidget *)>;
    using SkillViewerMaker = std::function<QWidget *(AppState &, QWidget *over, int column, QPoint at)>;
    using OverMaker = std::function<QWidget *(AppState &, QWidget *over)>;
    using PrintMaker = std::function<void(QWidget *over, int choice)>;
    void setBookingWindow(BookingMaker make, Closer close = {})
    {
        m_booking = std::move(make);
        m_closeBooking = std::move(close);
    }
    QWidget *bookingWindow(AppState &state, QWidget *over, const BookingCell &cell) const
    {
        return m_booking ? m_booking(state, over, cell) : nullptr;
    }
    // Without a closer the window is simply closed.
    void closeBookingWindow(QWidget *window) const;
    void setSkillViewer(SkillViewerMaker make) { m_skillViewer = std::move(make); }
    QWidget *skillViewer(AppState &state, QWidget *over, int column, QPoint at) const
    {
        return m_skillViewer ? m_skillViewer(state, over, column, at) : nullptr;
    }
    void setSlotFinder(OverMaker make) { m_slotFinder = std::move(make); }
    bool hasSlotFinder() const { return bool(m_slotFinder); }
    QWidget *slotFinder(AppState &state, QWidget *over) const
    {
        return m_slotFinder ? m_slotFinder(state, over) : nullptr;
    }
    void setExportWindow(OverMaker make) { m_export = std::move(make); }
    bool hasExportWindow() const { return bool(m_export); }
    QWidget *exportWindow(AppState &state, QWidget *over) const { return m_export ? m_export(state, over) : nullptr; }
    void setPrintView(PrintMaker print) { m_print = std::move(print); }
    bool hasPrintView() const { return bool(m_print); }
    void printView(QWidget *over, int choice) const
    {
        if (m_print)
            m_print(over, choice);
    }

private:
    BookingMaker m_booking;
    Closer m_closeBooking;
    SkillViewerMaker m_skillViewer;
    OverMaker m_slotFinder;
    OverMaker m_export;
    PrintMaker m_print;
    Maker m_mainMenu;
    Maker m_splash;
    Maker m_setupMenu;
    Maker m_dayPage;
    Maker m_templateEditor;
};
