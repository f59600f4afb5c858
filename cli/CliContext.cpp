#include "cli/CliContext.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/CellText.h"
#include "cli/TsvRowWriter.h"
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
            for (std::size_t i = 0; i < titles.size() && i < row.size(); ++i) object[titles[i]] = cellText(row[i]);
            array.push_back(std::move(object));
        }
        std::cout << array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        return;
    }
    std::cout.flush();
    TsvRowWriter writer;
    for (const auto& row : rows) writer.write(row);
}

}  // namespace tapelink::cli
