#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tapelink::test {

// The entries of one folder with the content of each file; a subfolder shows as "<folder>". Comparing
// two snapshots tells whether anything in the folder was lost, added or changed.
using FolderSnapshot = std::map<std::string, std::vector<std::uint8_t>>;

FolderSnapshot snapshotOf(const std::string& folder);

// The names of a snapshot, for short failure output.
std::vector<std::string> namesOf(const FolderSnapshot& snapshot);

// Deterministic file content that differs from file to file.
std::vector<std::uint8_t> patternBytes(std::size_t size, std::uint8_t seed);

}  // namespace tapelink::test
