// config.ini as the start-up finds it: any bytes at all. Loading takes the first 295 bytes (zeros for
// the rest), says "configured" only for a non-empty file with a non-zero first byte, and a save followed
// by a load gives back exactly the record that was loaded.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "settings/SettingsStore.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;
using tapelink::fuzz::FuzzScratch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratch scratch;
    const std::string path = scratch.path() + "config.ini";
    FuzzScratch::writeFile(path, data, size);

    SettingsStore store;
    const bool configured = store.Load(path);
    FUZZ_CHECK(configured == (size > 0 && data[0] != 0));
    const SettingsRecord record = store.GetRecord();
    SettingsRecord expected;
    std::memcpy(expected.bytes.data(), data, std::min(size, SettingsRecord::kSize));
    FUZZ_CHECK(record == expected);

    const std::string folder = record.uploadFolder();
    FUZZ_CHECK(folder.size() < SettingsRecord::kUploadFolderField);
    FUZZ_CHECK(folder.find('\0') == std::string::npos);
    SettingsRecord changed = record;
    FUZZ_CHECK(changed.setUploadFolder(folder));
    FUZZ_CHECK(changed.uploadFolder() == folder);

    FUZZ_CHECK(store.Save());
    struct stat info {};
    FUZZ_CHECK(::stat(path.c_str(), &info) == 0 && info.st_size == static_cast<off_t>(SettingsRecord::kSize));
    SettingsStore reloaded;
    reloaded.Load(path);
    FUZZ_CHECK(reloaded.GetRecord() == record);
    return 0;
}
