#include "archive/StampedName.h"

#include <unistd.h>

#include <ctime>

namespace tapelink {

std::string freeStampedName(const std::string& folder, const std::string& name, const std::string& separator) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stamped = name + separator + stamp;
    std::string free = stamped;
    for (int attempt = 2; ::access((folder + free).c_str(), F_OK) == 0; ++attempt) {
        free = stamped + "-" + std::to_string(attempt);
    }
    return free;
}

}  // namespace tapelink
