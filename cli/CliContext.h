#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/StderrMessages.h"

namespace tapelink::cli {

// What every command shares: the global options and the way output is printed.
struct CliContext {
    std::string storeOption;  // --store DIR
    StderrMessages messages;

    // The telephone's drive root with its trailing '/': --store, then TAPELINK_STORE, then the
    // device locator. Empty when no telephone is there.
    std::string locatePhone() const;
    // The same, telling the user "设备未准备好！" when no telephone is there.
    std::string requirePhone();
};

// Rows as tab-separated lines, or with json as an array of objects keyed by the column titles.
void printRows(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows, bool json);

// Rows as a JSON array of objects keyed by the column titles, each followed by its row of fields (a null
// row adds nothing).
void printJsonRows(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows,
                   const std::vector<nlohmann::ordered_json>& fields);

// A JSON document on stdout, invalid UTF-8 replaced by U+FFFD.
void printJson(const nlohmann::ordered_json& document);

}  // namespace tapelink::cli
