#include "app/ui/MainMenus.h"

#include "app/ui/CommandIds.h"

namespace tapelink {

namespace {

struct MenuItem {
    const char* text;
    int id;
};

QAction* addCommand(MainMenus& menus, QWidget* menu, const MenuItem& item) {
    auto* action = new QAction(QString::fromUtf8(item.text), menu);
    action->setData(item.id);
    action->setObjectName(QString::number(item.id));
    menu->addAction(action);
    menus.actions[item.id] = action;
    return action;
}

QMenu* addPopup(MainMenus& menus, QWidget* parent, const char* title, std::initializer_list<MenuItem> items) {
    auto* popup = new QMenu(QString::fromUtf8(title), parent);
    for (const MenuItem& item : items) addCommand(menus, popup, item);
    return popup;
}

}  // namespace

MainMenus buildMainMenus(QWidget* owner) {
    using namespace cmd;
    MainMenus menus;
    menus.bar = new QMenuBar(owner);
    menus.bar->setObjectName(QString::number(kMainMenu));
    // Native menu bars would move the menu out of the window on some desktops.
    menus.bar->setNativeMenuBar(false);

    QMenu* upload = addPopup(menus, menus.bar, "文件上传",
                             {{"上传路径", kUploadFolder},
                              {"选择上传", kUploadSelected},
                              {"分类上传", kUploadByCategory},
                              {"全部上传", kUploadAll},
                              {"永久删除", kDeletePermanently}});
    addCommand(menus, upload, {"上传新录音", kUploadNew});
    addCommand(menus, upload, {"插入电话机时自动上传新录音", kUploadNewOnArrival})->setCheckable(true);
    addCommand(menus, upload, {"校验存档", kVerifyArchive});
    addCommand(menus, upload, {"删除已存档录音", kDeleteArchived});
    addCommand(menus, upload, {"压缩存档…", kCompactArchive});
    addCommand(menus, upload, {"已过期的录音…", kExpiredRecordings});
    addCommand(menus, upload, {"移出过期录音…", kExpireArchive});
    menus.bar->addMenu(upload);
    addCommand(menus, menus.bar, {"文件查询", kSearch});
    addCommand(menus, menus.bar, {"联系人…", kContacts});
    addCommand(menus, menus.bar, {"统计", kStatistics});
    addCommand(menus, menus.bar, {"导出EXCEL", kExportExcel});
    addCommand(menus, menus.bar, {"回收站", kRecycleBin});
    menus.bar->addMenu(addPopup(menus, menus.bar, "帮助", {{"关于系统", kAbout}}));
    addCommand(menus, menus.bar, {"退出", kExit});

    // What the list's right click shows is the resource's only pop-up, so it is built directly.
    menus.listPopup = addPopup(menus, owner, "文件上传",
                               {{"上传路径", kPopupUploadFolder},
                                {"选择上传", kPopupUploadSelected},
                                {"分类上传", kPopupUploadByCategory},
                                {"全部上传", kPopupUploadAll},
                                {"永久删除", kPopupDeletePermanently}});
    addCommand(menus, menus.listPopup, {"分享…", kPopupShare});
    menus.listPopup->setObjectName(QString::number(kListPopupMenu));
    return menus;
}

}  // namespace tapelink
