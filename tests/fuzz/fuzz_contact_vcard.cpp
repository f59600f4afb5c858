// A vCard file as a user may pick one: any bytes at all. Every contact read has a name and a number,
// every skip a line inside the file, and the contacts read match numbers without fault.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "contacts/ContactDirectory.h"
#include "contacts/ContactVcard.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const ContactFileContents read = readContactVcard(bytes);

    const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n') +
                                        std::count(bytes.begin(), bytes.end(), '\r') + 1);
    FUZZ_CHECK(read.skippedCount >= static_cast<int>(read.skipped.size()));
    for (const SkippedLine& skip : read.skipped) FUZZ_CHECK(skip.line >= 1 && skip.line <= lines);
    for (const Contact& contact : read.contacts) {
        FUZZ_CHECK(!contact.name.empty() && !contact.numbers.empty());
        for (const std::string& number : contact.numbers) FUZZ_CHECK(!ContactDirectory::dialledDigits(number).empty());
    }
    // Each contact's own numbers find a name: its own, or none where another contact shares the number.
    const ContactDirectory directory(read.contacts);
    for (const Contact& contact : read.contacts) {
        for (const std::string& number : contact.numbers) {
            const std::string name = directory.nameFor(number);
            FUZZ_CHECK(name.empty() || name == contact.name);
            // A search by name finds the number under the name shown, and under no other.
            const std::vector<std::string> fitting = directory.namesFitting(number);
            FUZZ_CHECK(name.empty() || fitting == std::vector<std::string>{name});
        }
    }
    return 0;
}
