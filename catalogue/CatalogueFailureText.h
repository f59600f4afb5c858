#pragma once

#include <string>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink {

inline constexpr const char* kCatalogueFailed = "存档索引无法打开！";
inline constexpr const char* kCatalogueNewer = "存档索引由更新版本的程序建立，无法打开！";
inline constexpr const char* kCatalogueConnectionLost = "与存档的连接已断开，请重试。";

// What the user is told when the catalogue could not be opened or read with this status. Where the
// store can tell only "failed", the window keeps its one text; a lost connection is always told as such.
std::string catalogueFailureText(CatalogueStatus status, bool tellNewer = true);

}  // namespace tapelink
