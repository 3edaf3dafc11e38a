#pragma once

#include <memory>
#include <vector>

#include "platform/shell/core/shellitem.h"

// The rows of a browser pane's folder box for the folder it shows: the desktop, its children, the
// volumes right after Computer, and the chain of folders from there down to the shown folder, each
// row indented by its depth. Only folders take a row, and of the items outside the file system only
// the desktop, Computer and Network.
class CFolderBoxRows {
public:
    struct Row {
        std::unique_ptr<DCShellItem> item;
        int depth;
    };

    // Builds the rows for `target`; `selected` gets the index of the target's row, or -1.
    static std::vector<Row> Build(const DCShellItem& target, int& selected);

private:
    // Appends a row for `item` when it may have one: its index, or -1.
    static int Add(std::vector<Row>& rows, std::unique_ptr<DCShellItem> item);
    // The target's ancestors below `depth`, then the target: the index of the target's row, or -1.
    static int AddChain(std::vector<Row>& rows, const DCShellItem& target, int depth);
};
