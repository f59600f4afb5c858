#pragma once

#include <string>

namespace tapelink::test {

// A mount point with a fresh tmpfs on it, for tests of volumes that change under the program: another
// tmpfs put in its place (a telephone swapped), a remount read-only, a bind mount over a folder. Mounting
// needs root and a system that allows it; mounted() says whether it worked, so tests can skip.
class TestMount {
public:
    TestMount();
    ~TestMount();
    TestMount(const TestMount&) = delete;
    TestMount& operator=(const TestMount&) = delete;

    bool mounted() const { return m_mounted; }
    // With a trailing '/'.
    const std::string& path() const { return m_path; }

    // Unmounts and mounts a new, empty tmpfs at the same place.
    bool swap();
    bool remountReadOnly();
    // Bind-mounts folder over target (a path inside or outside this mount); undone at the end.
    bool bind(const std::string& folder, const std::string& target);

private:
    std::string m_path;
    std::string m_bound;
    bool m_mounted = false;
};

}  // namespace tapelink::test
