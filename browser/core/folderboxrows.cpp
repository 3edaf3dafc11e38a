#include "folderboxrows.h"

int CFolderBoxRows::Add(std::vector<Row>& rows, std::unique_ptr<DCShellItem> item) {
    using Attr = DCShellItem::Attribute;
    const std::uint32_t attributes = item->Attributes(Attr::AttrFileSystem | Attr::AttrFolder);
    const bool shellFolder = item->IsDesktop() || item->IsComputer() || item->IsNetwork();
    if ((attributes & Attr::AttrFolder) == 0 || ((attributes & Attr::AttrFileSystem) == 0 && !shellFolder)) {
        return -1;
    }
    const int depth = item->GetCount();
    rows.push_back({std::move(item), depth});
    return static_cast<int>(rows.size()) - 1;
}

int CFolderBoxRows::AddChain(std::vector<Row>& rows, const DCShellItem& target, int depth) {
    const int count = target.GetCount();
    if (count - depth < 1) {
        return -1;
    }
    int last = -1;
    for (int level = depth + 1; level <= count; ++level) {
        std::unique_ptr<DCShellItem> ancestor = target.Clone();
        while (ancestor->GetCount() > level) {
            ancestor->RemoveLast();
        }
        last = Add(rows, std::move(ancestor));
    }
    return last;
}

std::vector<CFolderBoxRows::Row> CFolderBoxRows::Build(const DCShellItem& target, int& selected) {
    std::vector<Row> rows;
    selected = -1;
    int previous = 0;
    int shared = 0;
    bool chained = false;
    // Each item of the walk: the chain goes in where the walk first leaves the target's branch.
    const auto visit = [&](std::unique_ptr<DCShellItem> item) {
        if (!chained) {
            shared = item->CommonPrefixCount(target);
            if (shared < previous) {
                if (const int row = AddChain(rows, target, previous); row != -1) {
                    selected = row;
                }
                chained = true;
            }
            previous = shared;
        }
        const int row = Add(rows, std::move(item));
        if (row != -1 && shared == target.GetCount() && selected == -1) {
            selected = row;
        }
    };

    DCShellItem desktop;
    visit(desktop.Clone());
    DCShellItem::Child top = desktop.FirstChild();
    for (std::unique_ptr<DCShellItem> child = std::move(top.item); child; child = desktop.NextChild()) {
        if (!child->IsComputer()) {
            visit(std::move(child));
            continue;
        }
        std::unique_ptr<DCShellItem> computer = child->Clone();
        visit(std::move(child));
        DCShellItem::Child volume = computer->FirstChild();
        for (std::unique_ptr<DCShellItem> next = std::move(volume.item); next; next = computer->NextChild()) {
            visit(std::move(next));
        }
    }
    if (!chained) {
        if (const int row = AddChain(rows, target, previous); row != -1) {
            selected = row;
        }
    }
    return rows;
}
