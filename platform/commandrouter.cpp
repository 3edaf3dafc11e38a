#include "commandrouter.h"

bool CCommandRouter::Execute(const Route& route, int id) {
    for (CCommandTarget* target : route) {
        if (target != nullptr && target->OnCommand(id)) {
            return true;
        }
    }
    return false;
}

CommandState CCommandRouter::Update(const Route& route, int id) {
    CommandState state;
    for (CCommandTarget* target : route) {
        if (target != nullptr && target->OnUpdateCommand(id, state)) {
            return state;
        }
    }
    return CommandState{false, false};
}
