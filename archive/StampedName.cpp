#include "archive/StampedName.h"

#include <unistd.h>

#include <ctime>

namespace tapelink {

std::string stampedName(const std::string& name, const std::string& separator, int attempt) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string stamped = name + separator + stamp;
    if (attempt > 1) stamped += "-" + std::to_string(attempt);
    return stamped;
}

std::string freeStampedName(const std::string& folder, const std::string& name, const std::string& separator) {
    const std::string stamped = stampedName(name, separator);
    std::string free = stamped;
    for (int attempt = 2; ::access((folder + free).c_str(), F_OK) == 0; ++attempt) {
        free = stamped + "-" + std::to_string(attempt);
    }
    return free;
}

}  // namespace tapelink
