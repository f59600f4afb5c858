#pragma once

#include <cstdint>
#include <string>

namespace tapelink::test {

// A small tmpfs mounted on a fresh folder for the life of the object, to fill up for real. Mounting
// needs root and a system that allows it; mounted() says whether it worked, so tests can skip.
class SmallDisk {
public:
    explicit SmallDisk(std::uint64_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    // With a trailing '/'.
    const std::string& path() const { return m_path; }

    // Takes up space with a filler file until no more than `left` bytes are free.
    void fillLeaving(std::uint64_t left);
    // Gives the filler's space back.
    void freeFiller();
    std::uint64_t freeBytes() const;
    // Mounts it again read-only, as a file system does after an error; false where that is not allowed.
    bool remountReadOnly();
    // Mounts it writable again after remountReadOnly().
    bool remountWritable();

private:
    std::string m_path;
    bool m_mounted = false;
};

}  // namespace tapelink::test
