#pragma once

#include <functional>
#include <ostream>

namespace tapelink::cli {

// Runs a command and returns its exit status. An exception that escapes it is reported on err as
// "tapelink-cli：意外错误：WHAT" and gives status 1: no command ever ends on an abort.
int guardedRun(const std::function<int()>& command, std::ostream& err);

}  // namespace tapelink::cli
