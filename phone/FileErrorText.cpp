#include "phone/FileErrorText.h"

namespace tapelink {

std::string fileErrorText(std::error_code error, const std::string& fileName) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system) {
        return "对 " + fileName + " 的存取被拒绝。";
    }
    if (error == std::errc::no_such_file_or_directory) return "没有找到 " + fileName + "。";
    return "访问 " + fileName + " 时发生错误。";
}

std::string legacyRenameErrorText(std::error_code error, const std::string& legacyName, const std::string& modernName) {
    if (error == std::errc::file_exists) {
        return "无法将 " + legacyName + " 改名为 " + modernName + "，因为 " + modernName + " 已经存在。";
    }
    return fileErrorText(error, legacyName);
}

}  // namespace tapelink
