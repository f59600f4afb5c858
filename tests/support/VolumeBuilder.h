#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "phone/PhoneIndexHeader.h"
#include "recording/RecordingInfo.h"

namespace tapelink::test {

// Builds telephone volumes and single recording files in a folder, for tests.
class VolumeBuilder {
public:
    // root ends with '/'; the three folders are created.
    explicit VolumeBuilder(std::string root);

    const std::string& root() const { return m_root; }
    std::string voice() const { return m_root + "voice/"; }
    std::string recycle() const { return m_root + "RECYCLE/"; }
    std::string indexPath() const { return m_root + "system/phone.bin"; }

    // A header with the right magic, the given counters and a recognisable pattern in the other bytes.
    static PhoneIndexHeader header(std::uint16_t recordingCount = 0, std::uint16_t nextSerial = 1);
    // Writes the index file: the header followed by trailingBytes bytes of 0xA5. Returns the header as a scan
    // reads it back, which remembers this volume, so the core will write it here.
    PhoneIndexHeader writeIndex(const PhoneIndexHeader& header, std::size_t trailingBytes = 64) const;
    void writeIndexBytes(const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> indexBytes() const;
    // The header as the program reads it back from this volume's index file, or from the one under root.
    PhoneIndexHeader writtenHeader() const;
    static PhoneIndexHeader headerOnDisk(const std::string& root);

    static RecordingInfo info(char direction, const std::string& number, int year, int month, int day, int hour,
                              int minute);
    // A recording file of the given total size (at least 279 bytes for the block to fit).
    static void writeRecording(const std::string& path, const RecordingInfo& info, std::size_t size = 4532);
    // The same with the info of a recording made 2011-05-18 09:07.
    static void writeRecording(const std::string& path, char direction, const std::string& number,
                               std::size_t size = 4532);
    static void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
    static std::vector<std::uint8_t> readBytes(const std::string& path);
    // The names of the entries of folder, sorted; an archive's own hidden folder left out.
    static std::vector<std::string> sortedNames(const std::string& folder);

private:
    std::string m_root;
};

}  // namespace tapelink::test
