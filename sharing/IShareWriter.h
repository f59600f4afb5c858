#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tapelink {

// Where a share's files go: a zip file or a folder. Nothing is visible under the target's real name until
// commit() succeeds; abandon() (or destruction without commit) removes everything written.
class IShareWriter {
public:
    virtual ~IShareWriter() = default;
    // Prepares the target; false with the reason in error.
    virtual bool begin(std::string& error) = 0;
    // Names the target already holds, which the share must not reuse.
    virtual std::vector<std::string> takenNames() const = 0;
    virtual bool add(const std::string& name, const std::vector<std::uint8_t>& bytes, std::string& error) = 0;
    // Flushes and puts the share in place; false with the reason in error, and nothing is left.
    virtual bool commit(std::string& error) = 0;
    virtual void abandon() = 0;
    // The bytes the committed share takes (the zip file, or the files in the folder).
    virtual std::uint64_t committedSize() const = 0;
};

}  // namespace tapelink
