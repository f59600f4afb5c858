#pragma once

#include <string>

namespace tapelink {

// The archive's write lock, held from before the catalogue is read until the last copy is recorded: a
// second program adding to the same archive waits, then sees everything the first one copied. Nothing may
// be added to an archive without it. Released when destroyed.
class IArchiveWriteLock {
public:
    virtual ~IArchiveWriteLock() = default;
    virtual bool held() const = 0;
    // Why it is not held, in Chinese, naming the archive and the reason; empty when held.
    virtual const std::string& failure() const = 0;
};

}  // namespace tapelink
