#include "cli/CliContext.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "phone/DeviceStatus.h"
#include "phone/RecordingEntry.h"
#include "platform/LinuxDeviceLocator.h"

namespace tapelink::cli {

std::string CliContext::locatePhone() const {
    return LinuxDeviceLocator(storeOption).FindPhoneDrive();
}

std::string CliContext::requirePhone() {
    std::string root = locatePhone();
    if (root.empty()) messages.showMessage(kDeviceNotReady, MessageIcon::Warning);
    return root;
}

void printRows(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows, bool json) {
    if (json) {
        auto array = nlohmann::ordered_json::array();
        for (const auto& row : rows) {
            nlohmann::ordered_json object;
            for (std::size_t i = 0; i < titles.size() && i < row.size(); ++i) object[titles[i]] = row[i];
            array.push_back(std::move(object));
        }
        std::cout << array.dump(2) << '\n';
        return;
    }
    // One buffer of the final size: growing it by doubling costs more than the rows themselves.
    std::size_t size = 0;
    for (const auto& row : rows) {
        for (const auto& cell : row) size += cell.size() + 1;
    }
    std::string out;
    out.reserve(size);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += '\t';
            out += row[i];
        }
        out += '\n';
    }
    std::cout << out;
}

}  // namespace tapelink::cli
