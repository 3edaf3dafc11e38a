#pragma once

#include <functional>
#include <string_view>

class QMenu;
class QWidget;

// A popup of menu 122 as a pane shows it on a right click: the items of the resource tables with the
// images of toolbar 151 and their status-bar prompts, each running `run` with its command id.
class CPaneMenu {
public:
    // `enabled` (optional) says whether an item may be chosen now. The caller owns the menu.
    static QMenu* Make(std::string_view popup, QWidget* parent, const std::function<void(int id)>& run,
                       const std::function<bool(int id)>& enabled = {});
};
