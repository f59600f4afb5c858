#pragma once

#include <string>

namespace tapelink::fuzz {

// A scratch folder for one fuzzing process, in memory where the machine has /dev/shm, removed at exit.
// Targets that must go through the file system write their input here.
class FuzzScratch {
public:
    FuzzScratch();
    ~FuzzScratch();
    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;

    // With a trailing '/'.
    const std::string& path() const { return m_path; }

    // Writes bytes as the whole content of path, replacing what was there.
    static void writeFile(const std::string& path, const void* data, std::size_t size);
    // Removes everything inside folder, keeping the folder.
    static void empty(const std::string& folder);

private:
    std::string m_path;
};

// Stops the fuzzer with a crash report when an invariant does not hold.
[[noreturn]] void invariantFailed(const char* what);

}  // namespace tapelink::fuzz

#define FUZZ_CHECK(condition)                                            \
    do {                                                                 \
        if (!(condition)) ::tapelink::fuzz::invariantFailed(#condition); \
    } while (false)
