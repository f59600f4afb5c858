// A contact CSV file as a user may pick one: any bytes at all. Every contact read has a name and a
// number, every skip a line inside the file, and the phonebook's own export of what was read reads back
// as the same contacts.
#include <algorithm>
#include <cstdint>
#include <string>

#include "contacts/ContactCsv.h"
#include "contacts/ContactDirectory.h"
#include "tests/fuzz/FuzzScratch.h"

using namespace tapelink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The first byte picks given columns for half the inputs, so both ways of finding columns are fuzzed.
    ContactCsvColumns columns;
    if (size > 0 && (data[0] & 1) != 0) columns = {data[0] >> 5 & 3, {data[0] >> 3 & 3}, data[0] >> 1 & 3};
    const ContactFileContents read = readContactCsv(bytes, columns);

    const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n') +
                                        std::count(bytes.begin(), bytes.end(), '\r') + 1);
    FUZZ_CHECK(read.skippedCount >= static_cast<int>(read.skipped.size()));
    FUZZ_CHECK(read.skipped.size() <= ContactFileContents::kMaxListedSkips);
    for (const SkippedLine& skip : read.skipped) FUZZ_CHECK(skip.line >= 1 && skip.line <= lines);
    for (const Contact& contact : read.contacts) {
        FUZZ_CHECK(!contact.name.empty() && !contact.numbers.empty());
        for (const std::string& number : contact.numbers) FUZZ_CHECK(!ContactDirectory::dialledDigits(number).empty());
    }

    const ContactFileContents again = readContactCsv(contactCsvText(read.contacts));
    FUZZ_CHECK(again.contacts == read.contacts);
    FUZZ_CHECK(again.skippedCount == 0);
    return 0;
}
