#include "tests/fuzz/FuzzScratch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace tapelink::fuzz {

namespace fs = std::filesystem;

FuzzScratch::FuzzScratch() {
    std::error_code error;
    const fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "tapelink-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) invariantFailed("a scratch folder can be made");
    m_path = pattern + "/";
}

FuzzScratch::~FuzzScratch() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

void FuzzScratch::writeFile(const std::string& path, const void* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) invariantFailed("a scratch file can be written");
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n <= 0) invariantFailed("a scratch file can be written");
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void FuzzScratch::empty(const std::string& folder) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) fs::remove_all(entry.path(), ignored);
}

void invariantFailed(const char* what) {
    std::fprintf(stderr, "fuzz invariant failed: %s\n", what);
    std::abort();
}

}  // namespace tapelink::fuzz
