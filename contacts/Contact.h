#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tapelink {

// One person or service in an archive's phonebook.
struct Contact {
    std::int64_t id = 0;  // 0 until stored
    std::string name;
    std::vector<std::string> numbers;  // as typed or imported
    std::string company;

    bool operator==(const Contact&) const = default;
};

}  // namespace tapelink
