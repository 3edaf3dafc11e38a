#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QObject>

#include "commandrouter.h"

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// One QAction per command id, made from the command tables: the menu text, the status-bar prompt,
// the tooltip and the icon. Triggering an action offers its command along the route the owner gives;
// Update asks the same route whether each command is enabled or checked.
class CCommandActions : public QObject {
    Q_OBJECT

public:
    using RouteProvider = std::function<CCommandRouter::Route()>;

    CCommandActions(QWidget* owner, RouteProvider route);

    // The action of `id`, made on first use.
    QAction* Action(int id);
    // Makes the menus of menu resource `menuId` in `bar`; `fillWindowList` fills the menu that
    // holds the list of open windows each time it opens.
    void FillMenuBar(QMenuBar* bar, int menuId, const std::function<void(QMenu*)>& fillWindowList);
    void FillToolBar(QToolBar* bar, int toolbarId);
    // Gives the accelerators' keys to their actions.
    void AddAccelerators();

    bool Execute(int id);
    // Runs the update rules of every action made so far.
    void Update();

private:
    QWidget* m_owner;
    RouteProvider m_route;
    std::map<int, QAction*> m_actions;
    std::map<int, std::vector<QMenu*>> m_menus; // by menu resource
};
