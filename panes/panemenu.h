#pragma once

#include <functional>
#include <string_view>

class QMenu;
class QWidget;

// A popup of menu 122 as a pane shows it on a right click: the items of the resource tables with the
// images of toolbar 151 and their status-bar prompts, each bound to the pane's operation of its kind.
class CPaneMenu {
public:
    // What a pane does for the popup's commands; a command whose operation is missing is disabled.
    struct Operations {
        std::function<void(int slot)> selectTarget{}; // slot 0 or 1
        std::function<void()> view{};
        std::function<void()> execute{};
        std::function<void()> snapshot{};
        std::function<void()> rename{};
        std::function<void()> remove{};
        std::function<void()> describe{};
        std::function<void()> refresh{};
    };

    // `enabled` (optional) says whether an item may be chosen now. The caller owns the menu.
    static QMenu* Make(std::string_view popup, QWidget* parent, const Operations& operations,
                       const std::function<bool(int id)>& enabled = {});
};
