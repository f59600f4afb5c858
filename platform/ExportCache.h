#pragma once

#include <chrono>
#include <string>

namespace tapelink {

// Where workbooks handed to the desktop's spreadsheet application are written: a folder of the
// program's own in the user's cache folder ($XDG_CACHE_HOME, else ~/.cache). The application keeps
// reading a workbook after the export, so its folder can't go at once; it goes at a later start-up.
std::string exportCacheFolder();

// Removes the export folders ("tapelink-export-*", real folders only) under parent that were last
// changed more than maxAge ago. Returns how many went.
int removeStaleExportFolders(const std::string& parent, std::chrono::hours maxAge = std::chrono::hours(24));

}  // namespace tapelink
