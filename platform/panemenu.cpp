#include "panemenu.h"

#include <algorithm>

#include <QIcon>
#include <QMenu>

#include "res/resource.h"
#include "res/resourcetables.h"

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QMenu* CPaneMenu::Make(std::string_view popup, QWidget* parent, const std::function<void(int id)>& run,
                       const std::function<bool(int id)>& enabled) {
    auto* menu = new QMenu(Text(popup), parent);
    menu->setAccessibleName(menu->title());
    const std::span<const int> images = ResourceTables::Toolbar(Res::kSnapshotImages);
    for (const ResourceTables::MenuItem& item : ResourceTables::ContextMenu(popup)) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(Text(item.text));
        action->setObjectName(QString::number(item.id));
        if (std::find(images.begin(), images.end(), item.id) != images.end()) {
            action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(item.id)));
        }
        if (const ResourceTables::CommandString* text = ResourceTables::FindCommandString(item.id)) {
            action->setStatusTip(Text(text->prompt));
        }
        action->setEnabled(!enabled || enabled(item.id));
        const int id = item.id;
        QObject::connect(action, &QAction::triggered, menu, [run, id] { run(id); });
    }
    return menu;
}
