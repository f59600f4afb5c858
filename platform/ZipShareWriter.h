#pragma once

#include <string>
#include <vector>

#include "sharing/IShareWriter.h"

struct zip;

namespace tapelink {

// Writes a share as a zip file with libzip. Names are stored as UTF-8 with the zip's UTF-8 flag set, so every
// zip reader shows Chinese names; MP3 files are stored as they are (they do not shrink), the rest deflated.
// The zip is built under a hidden temporary name beside the target, flushed, and only then renamed to the
// target (an existing file there is replaced), so no partial zip is ever seen under its name.
class ZipShareWriter : public IShareWriter {
public:
    explicit ZipShareWriter(std::string path) : m_path(std::move(path)) {}
    ~ZipShareWriter() override { abandon(); }
    ZipShareWriter(const ZipShareWriter&) = delete;
    ZipShareWriter& operator=(const ZipShareWriter&) = delete;

    bool begin(std::string& error) override;
    std::vector<std::string> takenNames() const override { return {}; }
    bool add(const std::string& name, const std::vector<std::uint8_t>& bytes, std::string& error) override;
    bool commit(std::string& error) override;
    void abandon() override;
    std::uint64_t committedSize() const override { return m_size; }

private:
    std::string zipErrorText() const;

    std::string m_path;
    std::string m_temporary;
    zip* m_zip = nullptr;
    std::uint64_t m_size = 0;
};

}  // namespace tapelink
