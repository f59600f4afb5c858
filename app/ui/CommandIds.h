#pragma once

namespace tapelink::cmd {

// Menu command ids of the main window. The list pop-up repeats the first menu-bar pop-up under ids
// of its own.
inline constexpr int kMainMenu = 130;
inline constexpr int kListPopupMenu = 145;

inline constexpr int kUploadFolder = 32789;
inline constexpr int kUploadSelected = 32790;
inline constexpr int kUploadByCategory = 32791;
inline constexpr int kUploadAll = 32792;
inline constexpr int kDeletePermanently = 32793;
inline constexpr int kSearch = 32771;
inline constexpr int kExportExcel = 32773;
inline constexpr int kRecycleBin = 32777;
inline constexpr int kAbout = 32776;
inline constexpr int kExit = 32772;

// The archive's commands, after the upload pop-up's own items.
inline constexpr int kUploadNew = 32799;
inline constexpr int kUploadNewOnArrival = 32800;
inline constexpr int kVerifyArchive = 32801;
inline constexpr int kDeleteArchived = 32802;

// The phonebook, after "文件查询".
inline constexpr int kContacts = 32803;
// The statistics window, after "联系人…".
inline constexpr int kStatistics = 32806;

inline constexpr int kPopupUploadFolder = 32794;
inline constexpr int kPopupUploadSelected = 32795;
inline constexpr int kPopupUploadByCategory = 32796;
inline constexpr int kPopupUploadAll = 32797;
inline constexpr int kPopupDeletePermanently = 32798;
// "分享…" after the pop-up's own items.
inline constexpr int kPopupShare = 32804;
// "压缩存档…", after the archive's commands of the upload menu.
inline constexpr int kCompactArchive = 32805;
// The retention rule's commands, after "压缩存档…": the view of what it moved aside, then the rule run.
inline constexpr int kExpiredRecordings = 32807;
inline constexpr int kExpireArchive = 32808;

// Control ids of the main window.
inline constexpr int kPhoneList = 1003;
inline constexpr int kStopButton = 1010;
inline constexpr int kProgressBar = 1052;

}  // namespace tapelink::cmd
