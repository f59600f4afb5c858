#include "platform/SndfileMemoryFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tapelink {

namespace {

SndfileMemoryFile& fileOf(void* user) {
    return *static_cast<SndfileMemoryFile*>(user);
}

sf_count_t memoryLength(void* user) {
    return static_cast<sf_count_t>(fileOf(user).bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto& file = fileOf(user);
    const sf_count_t base = whence == SEEK_CUR   ? file.position
                            : whence == SEEK_END ? static_cast<sf_count_t>(file.bytes.size())
                                                 : 0;
    file.position = std::max<sf_count_t>(0, base + offset);
    return file.position;
}

sf_count_t memoryRead(void* data, sf_count_t count, void* user) {
    auto& file = fileOf(user);
    const auto size = static_cast<sf_count_t>(file.bytes.size());
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - file.position));
    if (n > 0) std::memcpy(data, file.bytes.data() + file.position, static_cast<std::size_t>(n));
    file.position += n;
    return n;
}

sf_count_t memoryWrite(const void* data, sf_count_t count, void* user) {
    auto& file = fileOf(user);
    const auto end = static_cast<std::size_t>(file.position + count);
    if (end > file.bytes.size()) file.bytes.resize(end);
    std::memcpy(file.bytes.data() + file.position, data, static_cast<std::size_t>(count));
    file.position += count;
    return count;
}

sf_count_t memoryTell(void* user) {
    return fileOf(user).position;
}

}  // namespace

SF_VIRTUAL_IO SndfileMemoryFile::io() {
    return SF_VIRTUAL_IO{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
}

}  // namespace tapelink
