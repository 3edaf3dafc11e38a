#pragma once

// What a command's update handler decides for its menu item and toolbar button.
struct CommandState {
    bool enabled = true;
    bool checked = false;
};
