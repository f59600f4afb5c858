#pragma once

namespace tapelink {

// What the command line and the team's phonebook exchange say when a desk's phonebook can't be written.
inline constexpr const char* kPhonebookReadOnly = "存档索引为只读，联系人无法保存！";
inline constexpr const char* kPhonebookStoreFailed = "联系人保存失败！";

}  // namespace tapelink
