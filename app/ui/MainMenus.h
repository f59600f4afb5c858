#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <map>

namespace tapelink {

// The main window's menu bar (130) and the phone list's pop-up (145). Every action carries its
// command id as data and as object name, so the window dispatches on it and tests find it.
struct MainMenus {
    QMenuBar* bar = nullptr;
    QMenu* listPopup = nullptr;
    std::map<int, QAction*> actions;
};

MainMenus buildMainMenus(QWidget* owner);

}  // namespace tapelink
