#include "cli/CliContext.h"

#include <iostream>

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
        printJsonRows(titles, rows, {});
        return;
    }
    std::cout.flush();
    TsvRowWriter writer;
    for (const auto& row : rows) writer.write(row);
}

void printJsonRows(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows,
                   const std::vector<nlohmann::ordered_json>& fields) {
    auto array = nlohmann::ordered_json::array();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        nlohmann::ordered_json object;
        for (std::size_t i = 0; i < titles.size() && i < rows[r].size(); ++i) object[titles[i]] = cellText(rows[r][i]);
        if (r < fields.size() && fields[r].is_object()) {
            for (const auto& [key, value] : fields[r].items()) object[key] = value;
        }
        array.push_back(std::move(object));
    }
    printJson(array);
}

void printJson(const nlohmann::ordered_json& document) {
    std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

}  // namespace tapelink::cli
