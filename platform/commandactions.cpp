#include "commandactions.h"

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

#include "platform/bytestext.h"
#include "res/resourcetables.h"

namespace {

// A command's menu text from whichever menu holds it.
QString MenuText(int id) {
    for (const int menu : {153, 127, 110}) {
        for (const ResourceTables::Menu& popup : ResourceTables::MenuBar(menu)) {
            for (const ResourceTables::MenuItem& item : popup.items) {
                if (item.id == id) {
                    return Utf8Text(item.text);
                }
            }
        }
    }
    return {};
}

} // namespace

CCommandActions::CCommandActions(QWidget* owner, RouteProvider route)
    : m_owner(owner), m_route(std::move(route)) {}

QAction* CCommandActions::Action(int id) {
    if (const auto found = m_actions.find(id); found != m_actions.end()) {
        return found->second;
    }
    auto* action = new QAction(m_owner);
    action->setObjectName(QString::number(id));
    const ResourceTables::CommandString* strings = ResourceTables::FindCommandString(id);
    QString text = MenuText(id);
    if (strings != nullptr) {
        action->setStatusTip(Utf8Text(strings->prompt));
        action->setToolTip(Utf8Text(strings->tooltip));
        if (text.isEmpty()) {
            text = Utf8Text(strings->tooltip);
        }
    }
    action->setText(text);
    const QString icon = QStringLiteral(":/icons/%1.svg").arg(id);
    if (QFile::exists(icon)) {
        action->setIcon(QIcon(icon));
    }
    // Window-wide, so an edit box that wants the same keys (copy, paste, undo) still gets them.
    action->setShortcutContext(Qt::WindowShortcut);
    m_owner->addAction(action);
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
    m_actions.emplace(id, action);
    return action;
}

bool CCommandActions::Execute(int id) {
    const bool handled = CCommandRouter::Execute(m_route(), id);
    Update();
    return handled;
}

void CCommandActions::Update() {
    const CCommandRouter::Route route = m_route();
    for (const auto& [id, action] : m_actions) {
        const CommandState state = CCommandRouter::Update(route, id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) {
            action->setChecked(state.checked);
        }
    }
}

void CCommandActions::FillMenuBar(QMenuBar* bar, int menuId,
                                  const std::function<void(QMenu*)>& fillWindowList) {
    // Each menu resource is made once and kept: a screen reader holds on to the menus it has read,
    // and menus made anew for every document would leave it holding deleted ones.
    std::vector<QMenu*>& menus = m_menus[menuId];
    if (menus.empty()) {
        for (const ResourceTables::Menu& popup : ResourceTables::MenuBar(menuId)) {
            auto* menu = new QMenu(Utf8Text(popup.title), m_owner);
            for (const ResourceTables::MenuItem& item : popup.items) {
                if (item.id == 0) {
                    menu->addSeparator();
                } else if (item.id == ResourceTables::kWindowList) {
                    connect(menu, &QMenu::aboutToShow, menu,
                            [menu, fillWindowList] { fillWindowList(menu); });
                } else {
                    menu->addAction(Action(item.id));
                }
            }
            connect(menu, &QMenu::aboutToShow, this, &CCommandActions::Update);
            menus.push_back(menu);
        }
    }
    bar->clear();
    for (QMenu* menu : menus) {
        bar->addMenu(menu);
    }
}

void CCommandActions::FillToolBar(QToolBar* bar, int toolbarId) {
    for (const int id : ResourceTables::Toolbar(toolbarId)) {
        if (id == 0) {
            bar->addSeparator();
        } else {
            bar->addAction(Action(id));
        }
    }
}

void CCommandActions::AddAccelerators() {
    std::map<int, QList<QKeySequence>> keys;
    for (const ResourceTables::Accelerator& accelerator : ResourceTables::Accelerators()) {
        keys[accelerator.command].push_back(
            QKeySequence::fromString(Utf8Text(accelerator.keys), QKeySequence::PortableText));
    }
    for (const auto& [id, sequences] : keys) {
        Action(id)->setShortcuts(sequences);
    }
}
