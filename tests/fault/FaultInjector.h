#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

namespace tapelink::test {

enum class FaultOperation { Read, Write, Sync };

// Which calls fail: those of the operation on a descriptor whose path (a folder's with a trailing slash)
// contains pathPart, once `allowed` bytes (reads, writes) or calls (syncs) have gone through. The call that crosses the
// limit is cut short at it, as a real device does; the next one fails with error.
struct FaultRule {
    FaultOperation operation = FaultOperation::Write;
    std::string pathPart;
    std::uint64_t allowed = 0;
    int error = 0;
    // Run once, on the first matching call, before it goes on: something that happens to the file
    // system in the middle of an operation.
    std::function<void()> during;
};

inline constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

// Makes the process's read, pread, write, pwrite, copy_file_range, fsync, fdatasync and syncfs fail by a rule
// while it lives. It works by defining those functions in the test program, which then come before the C
// library's: the code under test is not changed. One injector at a time.
class FaultInjector {
public:
    explicit FaultInjector(FaultRule rule);
    ~FaultInjector();
    FaultInjector(const FaultInjector&) = delete;
    FaultInjector& operator=(const FaultInjector&) = delete;

    // How many calls were made to fail so far.
    int fired() const;
    // How much went through under the rule so far: bytes for reads and writes, calls for syncs.
    std::uint64_t used() const;
};

}  // namespace tapelink::test
