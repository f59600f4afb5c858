// The 23-byte metadata block of a recording and every text made from it: the start key, the start
// time, duration and size texts, the number in GBK, and the rows of the three recording lists.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "phone/PhoneListRow.h"
#include "phone/RecycleBinRow.h"
#include "recording/CallDirection.h"
#include "recording/DisplayText.h"
#include "recording/RecordingEntry.h"
#include "recording/RecordingInfo.h"
#include "search/SearchResultRow.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;

namespace {

bool allDigits(const std::string& text) {
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < RecordingInfo::kSize) return 0;
    std::array<std::uint8_t, RecordingInfo::kSize> block{};
    std::memcpy(block.data(), data, block.size());
    const RecordingInfo info = RecordingInfo::fromBlock(block);
    FUZZ_CHECK(info.phoneNumber.size() < RecordingInfo::kPhoneNumberField);
    FUZZ_CHECK(info.phoneNumber.find('\0') == std::string::npos);
    FUZZ_CHECK(RecordingInfo::fromBlock(info.toBlock()) == info);

    const std::string key = info.startKey();
    FUZZ_CHECK(key.size() == 10 && allDigits(key));
    const std::string start = startTimeText(key);
    FUZZ_CHECK(start.size() == 16 && start.compare(0, 2, "20") == 0 && start[4] == '-' && start[13] == ':');

    // The rest of the input picks the file's size and name.
    // Five bytes: sizes past 4 GiB too.
    std::uint64_t fileSize = 0;
    const std::size_t sizeBytes = std::min<std::size_t>(5, size - block.size());
    std::memcpy(&fileSize, data + block.size(), sizeBytes);
    const std::size_t nameStart = block.size() + sizeBytes;
    const std::string fileName(reinterpret_cast<const char*>(data + nameStart), size - nameStart);

    // No size a file can have shows a negative or wrapped text.
    const std::string duration = durationText(static_cast<std::int64_t>(fileSize));
    const std::string kilobytes = sizeText(static_cast<std::int64_t>(fileSize));
    FUZZ_CHECK(!duration.empty() && duration.find('-') == std::string::npos);
    FUZZ_CHECK(kilobytes == std::to_string(std::max<std::uint64_t>(1, (fileSize + 512) / 1024)) + "K");
    const std::string number = gbkToUtf8(info.phoneNumber);
    FUZZ_CHECK(info.phoneNumber.empty() == number.empty());
    if (std::all_of(fileName.begin(), fileName.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        FUZZ_CHECK(gbkToUtf8(fileName) == fileName);
    }

    const RecordingEntry entry = RecordingEntry::fromInfo("/volume/voice", fileName, fileSize, info);
    FUZZ_CHECK(entry.folder == "/volume/voice/");
    FUZZ_CHECK(entry.startKey == key);
    const int position = data[0];
    const RecordingRow phone = phoneListRow(entry, position);
    const RecordingRow bin = recycleBinRow(entry, position);
    const SearchResultRow found = searchResultRow(entry, position);
    FUZZ_CHECK(phone[0] == std::to_string(position + 1) && bin[0] == phone[0] && found[0] == phone[0]);
    FUZZ_CHECK(phone[1] == fileName && bin[1] == fileName && found[1] == fileName);
    FUZZ_CHECK(phone[5] == start && bin[5] == start && found[5] == start);
    FUZZ_CHECK(phone[6] == duration && phone[7] == kilobytes);
    FUZZ_CHECK(found[8] == entry.folder + fileName);
    return 0;
}
