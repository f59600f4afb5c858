#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "common/IListTexts.h"
#include "common/IMessageSink.h"
#include "sharing/SharePlan.h"

namespace tapelink {

class CQueryDlg;
class CTapelinkDlg;
class DeviceChangeRouter;
struct MainWindowServices;

// The main window's commands that work on the telephone's files or open a window of their own:
// "永久删除" (32793, 32798), "回收站" (32777), "文件查询" (32771) with its player and export, and
// "导出EXCEL" (32773), "联系人…" (32803), "统计" (32806), "分享…" (32804), and the notes the search and the player
// open. Each dialog runs modally over its owner and takes the device notifications while it is open, passing them on
// towards the main window.
class MainDialogCommands : public QObject {
    Q_OBJECT
public:
    MainDialogCommands(CTapelinkDlg& window, DeviceChangeRouter& devices, const MainWindowServices& services);

    // Runs one of the commands above; false for any other id.
    bool runCommand(int id);

    void deletePermanently();
    void openRecycleBin();
    void openSearch();
    void exportPhoneList();
    void openPhonebook();
    // "统计" of the upload folder; a number double-clicked there opens the search for it over the statistics.
    void openStatistics();
    // The note dialog of the recording at path, over owner, on the catalogue of the recording's folder.
    void editNote(const QString& path, QWidget* owner);
    // The note the team archive keeps for a team result, with who edited it last.
    void editTeamNote(const std::string& desk, const std::string& sha256, const std::string& fileName, QWidget* owner);
    // 分享… for the telephone list's selected recordings.
    void sharePhoneSelection();

private:
    // The search dialog over owner; prepare (when given) fills it in before it shows.
    void openSearchOver(QWidget* owner, const std::function<void(CQueryDlg&)>& prepare);
    void openPlayer(CQueryDlg& search);
    // The share dialog over owner; the telephone and the upload folder are never written into.
    void shareRecordings(std::vector<ShareItem> items, std::vector<std::string> protectedFolders, QWidget* owner);
    // listName names the workbook kept by the save dialog when no spreadsheet application is there.
    void exportList(const IListTexts& list, IMessageSink& messages, const QString& listName, QWidget* owner);

    CTapelinkDlg& m_window;
    DeviceChangeRouter& m_devices;
    const MainWindowServices& m_services;
};

}  // namespace tapelink
