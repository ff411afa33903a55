#pragma once
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/WindowSwitcher.h"
#include "store/AppError.h"

#include <utility>

// Creates a window whose loading has no error trap of its own: when loading fails (the station
// or the shared database cannot be opened), the engine's description is shown and the program
// ends. Returns null then.
template <class Window, class... Args>
Window *loadWindow(AppState &state, Args &&...args)
{
    try {
        return new Window(state, std::forward<Args>(args)...);
    } catch (const AppError &e) {
        state.dialogs()->info(e.description());
        state.switcher()->endProgram();
        return nullptr;
    }
}
