#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tapelink {

// The 295-byte binary record kept in config.ini. Only the upload folder means anything to us; the
// other bytes are written back exactly as loaded.
struct SettingsRecord {
    static constexpr std::size_t kSize = 295;
    static constexpr std::size_t kUploadFolderOffset = 34;
    static constexpr std::size_t kUploadFolderField = 260;  // with its NUL

    std::array<std::uint8_t, kSize> bytes{};

    bool configuredFlag() const { return bytes[0] != 0; }
    std::string uploadFolder() const;
    // False (and nothing changed) when the path does not fit the field with its NUL.
    bool setUploadFolder(const std::string& folder);

    bool operator==(const SettingsRecord&) const = default;
};

}  // namespace tapelink
