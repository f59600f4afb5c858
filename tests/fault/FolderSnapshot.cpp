#include "tests/fault/FolderSnapshot.h"

#include <filesystem>

#include "tests/support/VolumeBuilder.h"

namespace tapelink::test {

FolderSnapshot snapshotOf(const std::string& folder) {
    FolderSnapshot snapshot;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory()) {
            const std::string marker = "<folder>";
            snapshot[name] = {marker.begin(), marker.end()};
        } else {
            snapshot[name] = VolumeBuilder::readBytes(entry.path().string());
        }
    }
    return snapshot;
}

std::vector<std::string> namesOf(const FolderSnapshot& snapshot) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : snapshot) names.push_back(name);
    return names;
}

std::vector<std::uint8_t> patternBytes(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + i / 251);
    return bytes;
}

}  // namespace tapelink::test
