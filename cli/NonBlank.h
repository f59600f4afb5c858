#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace tapelink::cli {

// Refuses an option value that is empty or only blanks: a selection that names nothing is a usage error,
// never "everything".
inline CLI::Validator nonBlank() {
    return CLI::Validator(
        [](std::string& text) {
            return text.find_first_not_of(" \t\r\n") == std::string::npos ? std::string("值是空的") : std::string();
        },
        "not empty");
}

}  // namespace tapelink::cli
