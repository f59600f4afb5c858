// The telephone's system/phone.bin as the catalogue scan meets it: read the header, clear its cleared
// fields, write it back. Whatever the file holds, a read never succeeds on a short or foreign file and a
// write changes exactly the header's own bytes.
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "phone/PhoneStore.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;
using tapelink::fuzz::FuzzScratch;

namespace {

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        std::uint8_t block[4096];
        std::size_t n = 0;
        while ((n = std::fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + n);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratch scratch;
    static const bool made = ::mkdir((scratch.path() + "system").c_str(), 0755) == 0;
    FUZZ_CHECK(made);

    const PhoneStore store(scratch.path());
    FuzzScratch::writeFile(store.indexPath(), data, size);

    PhoneIndexHeader header;
    header.bytes.fill(0x5A);
    const IndexReadResult result = store.readHeader(header);
    if (size < PhoneIndexHeader::kSize) {
        FUZZ_CHECK(result == IndexReadResult::TooShort);
        // A short file never half-fills the caller's header, and leaves nothing that could be written back.
        FUZZ_CHECK(header == PhoneIndexHeader{} && !header.origin.hasIndex());
        return 0;
    }
    FUZZ_CHECK(std::memcmp(header.bytes.data(), data, PhoneIndexHeader::kSize) == 0);
    FUZZ_CHECK((result == IndexReadResult::Ok) == (data[0] == 0x66 && data[1] == 0x72));
    if (result != IndexReadResult::Ok) {
        FUZZ_CHECK(result == IndexReadResult::BadMagic && !header.origin.hasIndex());
        return 0;
    }

    // What the scan and the recycle bin do with it.
    const bool clearedSet = header.hasClearedFieldsSet();
    header.zeroClearedFields();
    FUZZ_CHECK(!header.hasClearedFieldsSet());
    FUZZ_CHECK(header.magic() == PhoneIndexHeader::kMagic);
    const std::uint16_t count = header.recordingCount();
    header.setRecordingCount(static_cast<std::uint16_t>(count + 1));
    FUZZ_CHECK(header.recordingCount() == static_cast<std::uint16_t>(count + 1));
    header.setNextSerial(header.nextSerial());
    FUZZ_CHECK(store.writeHeader(header));

    const std::vector<std::uint8_t> after = fileBytes(store.indexPath());
    FUZZ_CHECK(after.size() == size);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const bool own = i == 38 || (i >= 44 && i < 52);
        if (!own) FUZZ_CHECK(after[i] == data[i]);
        if (after[i] != data[i]) ++changed;
    }
    FUZZ_CHECK(clearedSet || changed <= 2);

    PhoneIndexHeader reread;
    FUZZ_CHECK(store.readHeader(reread) == IndexReadResult::Ok);
    FUZZ_CHECK(reread == header);
    return 0;
}
