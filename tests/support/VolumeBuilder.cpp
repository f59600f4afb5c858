#include "tests/support/VolumeBuilder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/ArchiveLayout.h"
#include "phone/PhoneStore.h"

namespace tapelink::test {

VolumeBuilder::VolumeBuilder(std::string root) : m_root(std::move(root)) {
    for (const char* folder : {"system", "voice", "RECYCLE"}) std::filesystem::create_directories(m_root + folder);
}

PhoneIndexHeader VolumeBuilder::header(std::uint16_t recordingCount, std::uint16_t nextSerial) {
    PhoneIndexHeader header;
    for (std::size_t i = 0; i < header.bytes.size(); ++i) header.bytes[i] = static_cast<std::uint8_t>(0x30 + i % 64);
    header.bytes[0] = 0x66;
    header.bytes[1] = 0x72;
    header.bytes[38] = 0;
    for (std::size_t i = 44; i < 50; ++i) header.bytes[i] = 0;
    header.setRecordingCount(recordingCount);
    header.setNextSerial(nextSerial);
    return header;
}

PhoneIndexHeader VolumeBuilder::writeIndex(const PhoneIndexHeader& header, std::size_t trailingBytes) const {
    std::vector<std::uint8_t> bytes(header.bytes.begin(), header.bytes.end());
    bytes.resize(bytes.size() + trailingBytes, 0xA5);
    writeIndexBytes(bytes);
    return writtenHeader();
}

void VolumeBuilder::writeIndexBytes(const std::vector<std::uint8_t>& bytes) const {
    writeBytes(indexPath(), bytes);
}

std::vector<std::uint8_t> VolumeBuilder::indexBytes() const {
    return readBytes(indexPath());
}

PhoneIndexHeader VolumeBuilder::writtenHeader() const {
    return headerOnDisk(m_root);
}

PhoneIndexHeader VolumeBuilder::headerOnDisk(const std::string& root) {
    PhoneIndexHeader header;
    PhoneStore(root).readHeader(header);
    return header;
}

RecordingInfo VolumeBuilder::info(char direction, const std::string& number, int year, int month, int day, int hour,
                                  int minute) {
    RecordingInfo info;
    info.direction = static_cast<std::uint8_t>(direction);
    info.phoneNumber = number;
    info.year = static_cast<std::uint8_t>(year);
    info.month = static_cast<std::uint8_t>(month);
    info.day = static_cast<std::uint8_t>(day);
    info.hour = static_cast<std::uint8_t>(hour);
    info.minute = static_cast<std::uint8_t>(minute);
    return info;
}

void VolumeBuilder::writeRecording(const std::string& path, const RecordingInfo& info, std::size_t size) {
    std::vector<std::uint8_t> bytes(std::max(size, RecordingInfo::kMinimumFileSize), 0x11);
    const auto block = info.toBlock();
    std::copy(block.begin(), block.end(), bytes.begin() + RecordingInfo::kOffset);
    bytes.resize(size);
    writeBytes(path, bytes);
}

void VolumeBuilder::writeRecording(const std::string& path, char direction, const std::string& number,
                                   std::size_t size) {
    writeRecording(path, info(direction, number, 11, 5, 18, 9, 7), size);
}

void VolumeBuilder::writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> VolumeBuilder::readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> VolumeBuilder::sortedNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename() != kArchiveOwnFolder) names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tapelink::test
