#include "tests/fault/FaultInjector.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <utility>

namespace tapelink::test {

namespace {

// The interposed functions are plain C functions, so the armed rule can only be reached through this
// one process-wide slot.
struct ArmedRule {
    FaultRule rule;
    std::mutex mutex;
    std::uint64_t used = 0;
    int fired = 0;
};
std::atomic<ArmedRule*> g_armed{nullptr};

bool pathMatches(const ArmedRule& armed, int fd) {
    char link[64];
    char path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0) return false;
    std::string name(path, static_cast<std::size_t>(length));
    // A folder is named with its trailing slash, as its files' paths show it.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) name += '/';
    return name.find(armed.rule.pathPart) != std::string::npos;
}

ArmedRule* ruleFor(FaultOperation operation, int fd) {
    ArmedRule* armed = g_armed.load();
    return armed != nullptr && armed->rule.operation == operation && pathMatches(*armed, fd) ? armed : nullptr;
}

// How much of a transfer of `wanted` may be tried on fd: `wanted` when no rule applies, less when the
// limit is near, and -1 (errno set) when it is reached. A sync that may go through is counted here.
ssize_t allowance(FaultOperation operation, int fd, std::size_t wanted) {
    ArmedRule* armed = ruleFor(operation, fd);
    if (armed == nullptr) return static_cast<ssize_t>(wanted);
    if (armed->rule.during) std::exchange(armed->rule.during, nullptr)();
    const std::lock_guard lock(armed->mutex);
    if (armed->used < armed->rule.allowed) {
        if (operation == FaultOperation::Sync) {
            ++armed->used;
            return 0;
        }
        const std::uint64_t left = armed->rule.allowed - armed->used;
        return static_cast<ssize_t>(left < wanted ? static_cast<std::size_t>(left) : wanted);
    }
    ++armed->fired;
    errno = armed->rule.error;
    return -1;
}

// Counts what a read or write really moved, which may be less than it was allowed.
ssize_t moved(FaultOperation operation, int fd, ssize_t result) {
    if (result > 0) {
        if (ArmedRule* armed = ruleFor(operation, fd)) {
            const std::lock_guard lock(armed->mutex);
            armed->used += static_cast<std::uint64_t>(result);
        }
    }
    return result;
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

FaultInjector::FaultInjector(FaultRule rule) {
    g_armed.store(new ArmedRule{std::move(rule), {}, 0, 0});
}

FaultInjector::~FaultInjector() {
    delete g_armed.exchange(nullptr);
}

int FaultInjector::fired() const {
    ArmedRule* armed = g_armed.load();
    if (armed == nullptr) return 0;
    const std::lock_guard lock(armed->mutex);
    return armed->fired;
}

std::uint64_t FaultInjector::used() const {
    ArmedRule* armed = g_armed.load();
    if (armed == nullptr) return 0;
    const std::lock_guard lock(armed->mutex);
    return armed->used;
}

}  // namespace tapelink::test

using tapelink::test::allowance;
using tapelink::test::FaultOperation;
using tapelink::test::moved;
using tapelink::test::next;

extern "C" {

ssize_t read(int fd, void* buffer, size_t size) {
    static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    const ssize_t granted = allowance(FaultOperation::Read, fd, size);
    return granted < 0 ? -1 : moved(FaultOperation::Read, fd, real(fd, buffer, static_cast<size_t>(granted)));
}

ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    const ssize_t granted = allowance(FaultOperation::Read, fd, size);
    return granted < 0 ? -1 : moved(FaultOperation::Read, fd, real(fd, buffer, static_cast<size_t>(granted), offset));
}

ssize_t write(int fd, const void* buffer, size_t size) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    const ssize_t granted = allowance(FaultOperation::Write, fd, size);
    return granted < 0 ? -1 : moved(FaultOperation::Write, fd, real(fd, buffer, static_cast<size_t>(granted)));
}

ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    const ssize_t granted = allowance(FaultOperation::Write, fd, size);
    return granted < 0 ? -1 : moved(FaultOperation::Write, fd, real(fd, buffer, static_cast<size_t>(granted), offset));
}

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t size, unsigned int flags) {
    static const auto real = next<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned int)>("copy_file_range");
    ssize_t granted = allowance(FaultOperation::Read, in, size);
    if (granted >= 0) granted = allowance(FaultOperation::Write, out, static_cast<size_t>(granted));
    if (granted < 0) return -1;
    const ssize_t result = real(in, inOffset, out, outOffset, static_cast<size_t>(granted), flags);
    moved(FaultOperation::Read, in, result);
    return moved(FaultOperation::Write, out, result);
}

int fsync(int fd) {
    static const auto real = next<int (*)(int)>("fsync");
    return allowance(FaultOperation::Sync, fd, 0) < 0 ? -1 : real(fd);
}

int syncfs(int fd) {
    static const auto real = next<int (*)(int)>("syncfs");
    return allowance(FaultOperation::Sync, fd, 0) < 0 ? -1 : real(fd);
}

int fdatasync(int fd) {
    static const auto real = next<int (*)(int)>("fdatasync");
    return allowance(FaultOperation::Sync, fd, 0) < 0 ? -1 : real(fd);
}

}  // extern "C"
