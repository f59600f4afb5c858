#pragma once

#include <string>

namespace tapelink {

// A short Chinese reason for a system error number, for messages that name a file or folder.
std::string systemErrorText(int error);

}  // namespace tapelink
