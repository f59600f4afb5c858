// The file names of a telephone folder. The input is a list of names, one per line; each becomes a
// recording file (or, for a line ending in '/', a folder) in both voice/ and RECYCLE/ of a generated
// volume, and the catalogue scan and the recycle-bin listing run over it. Checked: the name rules agree
// with each other, only valid recording names are listed, legacy names move without replacing anything,
// and no file is lost.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <vector>

#include "phone/CatalogueScan.h"
#include "phone/RecycleBin.h"
#include "recording/CallDirection.h"
#include "recording/RecordingKind.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;
using tapelink::fuzz::FuzzScratch;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxEntries = 24;
constexpr std::size_t kMaxNameLength = 255;

struct Entry {
    std::string name;
    bool folder = false;
};

std::vector<Entry> entriesOf(const std::uint8_t* data, std::size_t size) {
    std::vector<Entry> entries;
    std::set<std::string> seen;
    std::string line;
    auto take = [&] {
        Entry entry;
        entry.folder = !line.empty() && line.back() == '/';
        std::string name;
        for (const char c : line) name += c == '/' || c == '\0' ? '_' : c;
        if (entry.folder) name.pop_back();
        name.resize(std::min(name.size(), kMaxNameLength));
        line.clear();
        if (name.empty() || name == "." || name == ".." || !seen.insert(name).second) return;
        entry.name = name;
        if (entries.size() < kMaxEntries) entries.push_back(entry);
    };
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            take();
        } else {
            line += static_cast<char>(data[i]);
        }
    }
    take();
    return entries;
}

// A recording whose block is made from its name, so that the input reaches the metadata too.
std::vector<std::uint8_t> contentFor(const std::string& name, std::size_t index) {
    std::vector<std::uint8_t> bytes(RecordingInfo::kMinimumFileSize + (index * 37) % 300, 0);
    const char directions[] = {'B', 'Z', 'X'};
    bytes[RecordingInfo::kOffset] = static_cast<std::uint8_t>(directions[name.size() % 3]);
    for (std::size_t i = 0; i < 22 && i < name.size(); ++i) {
        bytes[RecordingInfo::kOffset + 1 + i] = static_cast<std::uint8_t>(name[i]);
    }
    // Half of the files are cut short of the block's end.
    if (index % 4 == 3) bytes.resize(RecordingInfo::kOffset + index % RecordingInfo::kSize);
    return bytes;
}

void checkNameRules(const std::string& name) {
    const bool recording = isRecordingFileName(name);
    const bool legacy = isLegacyRecordingName(name);
    FUZZ_CHECK(!(recording && legacy));
    if (recording) FUZZ_CHECK(name.size() == 12 && kindOfFileName(name).has_value());
    if (legacy) {
        const std::string modern = modernNameOf(name);
        FUZZ_CHECK(modern.size() == 12 && modern.compare(0, 2, "VO") == 0 && modern.compare(2, 10, name, 2, 10) == 0);
        FUZZ_CHECK(isRecordingFileName(modern) == kindOfFileName(name).has_value());
    }
    if (name.size() >= 3) {
        const std::string restored = restoredFileName(name[2], 65);
        FUZZ_CHECK(isRecordingFileName(restored));
        FUZZ_CHECK(restored.compare(3, 9, "00065.WAV") == 0);
    }
}

std::multiset<std::string> namesIn(const std::string& folder) {
    std::multiset<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) names.insert(item.path().filename().string());
    return names;
}

class CollectingView : public ICatalogueView {
public:
    void setStatusText(const std::string&) override {}
    void clearRows() override { rows.clear(); }
    void addRecordingRow(const RecordingEntry& entry, int position) override {
        FUZZ_CHECK(position == static_cast<int>(rows.size()));
        rows.push_back(entry);
    }
    std::vector<RecordingEntry> rows;
};

class CountingMessages : public IMessageSink {
public:
    void showMessage(const std::string&, MessageIcon) override { ++count; }
    int count = 0;
};

void checkListed(const RecordingEntry& entry, const std::string& folder) {
    FUZZ_CHECK(entry.folder == folder);
    FUZZ_CHECK(entry.fileName.size() == 12 && entry.fileName.compare(0, 2, "VO") == 0);
    FUZZ_CHECK(isValidDirection(entry.direction));
    struct stat info {};
    FUZZ_CHECK(::stat((folder + entry.fileName).c_str(), &info) == 0 && S_ISREG(info.st_mode));
    FUZZ_CHECK(entry.size == static_cast<std::uint64_t>(info.st_size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratch scratch;
    const std::string root = scratch.path();
    FuzzScratch::empty(root);
    const PhoneStore store(root);
    for (const std::string& folder : {root + "system", store.voiceFolder(), store.recycleFolder()}) {
        FUZZ_CHECK(::mkdir(folder.c_str(), 0755) == 0);
    }
    PhoneIndexHeader header;
    header.bytes[0] = 0x66;
    header.bytes[1] = 0x72;
    header.setNextSerial(65);
    FuzzScratch::writeFile(store.indexPath(), header.bytes.data(), header.bytes.size());

    const std::vector<Entry> entries = entriesOf(data, size);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        checkNameRules(entries[i].name);
        for (const std::string& folder : {store.voiceFolder(), store.recycleFolder()}) {
            const std::string path = folder + entries[i].name;
            if (entries[i].folder) {
                FUZZ_CHECK(::mkdir(path.c_str(), 0755) == 0);
            } else {
                const auto bytes = contentFor(entries[i].name, i);
                FuzzScratch::writeFile(path, bytes.data(), bytes.size());
            }
        }
    }
    const auto voiceBefore = namesIn(store.voiceFolder());

    CollectingView view;
    CountingMessages messages;
    PhoneIndexHeader scanned;
    const ScanResult result = ScanCatalogue(root, scanned, view, messages);
    FUZZ_CHECK(result.indexValid);
    FUZZ_CHECK(result.recordingCount == static_cast<int>(view.rows.size()));
    FUZZ_CHECK(scanned.recordingCount() == static_cast<std::uint16_t>(view.rows.size()));
    for (const RecordingEntry& entry : view.rows) {
        checkListed(entry, store.voiceFolder());
        FUZZ_CHECK(isRecordingFileName(entry.fileName));
    }
    // Legacy names move, nothing else changes, and the folder holds as many entries as before.
    const auto voiceAfter = namesIn(store.voiceFolder());
    FUZZ_CHECK(voiceAfter.size() == voiceBefore.size());
    for (const std::string& name : voiceAfter) {
        if (voiceBefore.count(name) == 0) FUZZ_CHECK(name.compare(0, 2, "VO") == 0);
    }

    RecycleBin bin(root, scanned, messages);
    const auto recycleBefore = namesIn(store.recycleFolder());
    const std::vector<RecordingEntry> listed = bin.RefreshList();
    for (const RecordingEntry& entry : listed) checkListed(entry, store.recycleFolder());
    FUZZ_CHECK(namesIn(store.recycleFolder()).size() == recycleBefore.size());
    // A second listing finds the same recordings and moves nothing more.
    auto byName = [](const RecordingEntry& a, const RecordingEntry& b) { return a.fileName < b.fileName; };
    std::vector<RecordingEntry> first = listed;
    std::vector<RecordingEntry> second = bin.RefreshList();
    std::sort(first.begin(), first.end(), byName);
    std::sort(second.begin(), second.end(), byName);
    FUZZ_CHECK(first == second);
    return 0;
}
