#include "panemenu.h"

#include <algorithm>

#include <QIcon>
#include <QMenu>

#include "platform/bytestext.h"
#include "res/resource.h"
#include "res/resourcetables.h"

namespace {

// The operation a command of the popups stands for; empty for one the pane does not offer.
std::function<void()> OperationOf(int id, const CPaneMenu::Operations& operations) {
    const auto target = [&](int slot) -> std::function<void()> {
        if (!operations.selectTarget) {
            return {};
        }
        return [select = operations.selectTarget, slot] { select(slot); };
    };
    switch (id) {
    case Res::kPaneSelectTarget1:
        return target(0);
    case Res::kPaneSelectTarget2:
        return target(1);
    case Res::kPaneView:
        return operations.view;
    case Res::kPaneShellExecute:
        return operations.execute;
    case Res::kPaneSnapshot:
        return operations.snapshot;
    case Res::kPaneRename:
        return operations.rename;
    case Res::kPaneDelete:
        return operations.remove;
    case Res::kPaneDescription:
        return operations.describe;
    case Res::kPaneRefresh:
        return operations.refresh;
    default:
        return {};
    }
}

} // namespace

QMenu* CPaneMenu::Make(std::string_view popup, QWidget* parent, const Operations& operations,
                       const std::function<bool(int id)>& enabled) {
    auto* menu = new QMenu(Utf8Text(popup), parent);
    menu->setAccessibleName(menu->title());
    const std::span<const int> images = ResourceTables::Toolbar(Res::kSnapshotImages);
    for (const ResourceTables::MenuItem& item : ResourceTables::ContextMenu(popup)) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(Utf8Text(item.text));
        action->setObjectName(QString::number(item.id));
        if (std::find(images.begin(), images.end(), item.id) != images.end()) {
            action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(item.id)));
        }
        if (const ResourceTables::CommandString* text = ResourceTables::FindCommandString(item.id)) {
            action->setStatusTip(Utf8Text(text->prompt));
        }
        const std::function<void()> run = OperationOf(item.id, operations);
        action->setEnabled(run && (!enabled || enabled(item.id)));
        if (run) {
            QObject::connect(action, &QAction::triggered, menu, run);
        }
    }
    return menu;
}
