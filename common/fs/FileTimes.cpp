#include "common/fs/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tapelink {

bool copyModificationTime(int sourceFd, int targetFd) {
    struct stat source {};
    if (::fstat(sourceFd, &source) != 0) return false;
    const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    return ::futimens(targetFd, times) == 0;
}

}  // namespace tapelink
