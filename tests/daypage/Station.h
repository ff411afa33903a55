#pragma once
#include "ScriptedDialogs.h"
#include "core/AppState.h"
#include "daypage/DayPage.h"

#include <functional>

// Dialogs that also run a step when a message is shown: lets a test act as another station
// while this one waits on a message box.
class HookedDialogs : public ScriptedDialogs {
public:
    std::function<void(const QString &text)> onMessage;

protected:
    Answer present(const QString &text, const QString &title, Buttons buttons, Icon icon) override
    {
        const Answer a = ScriptedDialogs::present(text, title, buttons, icon);
        if (onMessage)
            onMessage(text);
        return a;
    }
};

// One station on the shared database file: its own values, dialogs and connection.
struct Station {
    HookedDialogs dialogs;
    AppState state;
    DayPage page;
    explicit Station(const QString &dbPath) : page(state)
    {
        state.setDialogs(&dialogs);
        page.openDatabase(dbPath);
        page.readLocation();
    }
    GridModel &grid() { return page.grid(); }
};
