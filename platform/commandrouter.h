#pragma once

#include <vector>

#include "commandtarget.h"

// Offers a command to the targets of a route in order (active view, its document, its frame, the main
// frame, the application): the first that has a handler for it takes it. A command no target
// handles is disabled.
class CCommandRouter {
public:
    using Route = std::vector<CCommandTarget*>;

    static bool Execute(const Route& route, int id);
    static CommandState Update(const Route& route, int id);
};
