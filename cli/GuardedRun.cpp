#include "cli/GuardedRun.h"

#include <exception>

#include "cli/CellText.h"
#include "cli/ExitStatus.h"

namespace tapelink::cli {

int guardedRun(const std::function<int()>& command, std::ostream& err) {
    try {
        return command();
    } catch (const std::exception& error) {
        err << "tapelink-cli：意外错误：" << cellText(error.what()) << '\n';
    } catch (...) {
        err << "tapelink-cli：意外错误\n";
    }
    return kExitMessage;
}

}  // namespace tapelink::cli
