#pragma once

#include <span>

#include "commandstate.h"

// Something on a command's route: a view, a document, a frame or the application. Each class keeps a
// static table of the commands it handles; a command that has a handler but no update handler is
// enabled.
class CCommandTarget {
public:
    virtual ~CCommandTarget() = default;

    // False when this target has no handler for `id`, so the command goes on along the route.
    virtual bool OnCommand(int id) { return (void)id, false; }
    // False when this target has no handler for `id`; otherwise `state` says what to show.
    virtual bool OnUpdateCommand(int id, CommandState& state) { return (void)id, (void)state, false; }
};

// One row of a class's command table.
template <class T>
struct CommandEntry {
    int id;
    void (T::*handler)();
    void (T::*update)(CommandState&) = nullptr;
};

// The table lookups the targets' OnCommand and OnUpdateCommand delegate to.
template <class T>
bool DispatchCommand(T& target, std::span<const CommandEntry<T>> table, int id) {
    for (const CommandEntry<T>& entry : table) {
        if (entry.id == id) {
            (target.*entry.handler)();
            return true;
        }
    }
    return false;
}

template <class T>
bool DispatchUpdate(T& target, std::span<const CommandEntry<T>> table, int id, CommandState& state) {
    for (const CommandEntry<T>& entry : table) {
        if (entry.id == id) {
            state = CommandState{};
            if (entry.update != nullptr) {
                (target.*entry.update)(state);
            }
            return true;
        }
    }
    return false;
}
