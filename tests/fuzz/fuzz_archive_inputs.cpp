// What the archive reads from outside: file names found in an archive folder, and archive.ini as the
// start-up finds it. A name the archive takes always has the shape of a telephone name, with or without
// a clash suffix; preferences always stay in range, and a save followed by a load gives them back.
#include <cstdint>
#include <string>

#include "archive/ArchiveNames.h"
#include "settings/ArchivePreferences.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;
using tapelink::fuzz::FuzzScratch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratch scratch;
    const std::string text(reinterpret_cast<const char*>(data), size);

    if (isArchiveRecordingName(text)) {
        FUZZ_CHECK(text.size() >= 12 && (text.rfind("VO", 0) == 0 || text.rfind("REC", 0) == 0));
        // A longer name is the 8-character stem, "-N" and the extension.
        if (text.size() > 12) {
            FUZZ_CHECK(text[8] == '-');
            FUZZ_CHECK(suffixedName(text.substr(0, 8) + text.substr(text.size() - 4), std::stoi(text.substr(9))) ==
                       text);
        }
    }

    const std::string path = scratch.path() + "archive.ini";
    FuzzScratch::writeFile(path, data, size);
    const ArchivePreferences loaded = loadArchivePreferences(path);
    if (loaded.clearOlderThanDays) FUZZ_CHECK(*loaded.clearOlderThanDays >= 0);
    FUZZ_CHECK(saveArchivePreferences(path, loaded));
    FUZZ_CHECK(loadArchivePreferences(path) == loaded);
    return 0;
}
