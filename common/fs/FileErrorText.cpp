#include "common/fs/FileErrorText.h"

#include <cerrno>

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

std::string errorReasonText(std::error_code error) {
    if (error.category() != std::generic_category() && error.category() != std::system_category()) {
        return "未知错误";
    }
    switch (error.value()) {
        case EACCES:
        case EPERM:
            return "没有权限";
        case ENOSPC:
            return "磁盘已满";
        case EDQUOT:
            return "超出磁盘配额";
        case EROFS:
            return "只读文件系统";
        case ENOENT:
            return "文件不存在";
        case EEXIST:
            return "文件已存在";
        case ENOTDIR:
            return "路径中有一项不是文件夹";
        case EISDIR:
            return "是一个文件夹";
        case ENOTEMPTY:
            return "文件夹不是空的";
        case ELOOP:
            return "是一个链接";
        case ENAMETOOLONG:
            return "文件名太长";
        case EFBIG:
            return "文件太大";
        case EIO:
            return "读写错误";
        case EBUSY:
        case ETXTBSY:
            return "文件正被使用";
        case EAGAIN:
            return "文件被锁定";
        case EXDEV:
            return "不在同一个磁盘上";
        case EMFILE:
        case ENFILE:
            return "打开的文件太多";
        case ENOMEM:
            return "内存不足";
        case ENODEV:
        case ENXIO:
            return "设备不存在";
        case ESTALE:
        case ENOTCONN:
        case ETIMEDOUT:
        case EHOSTUNREACH:
            return "网络共享已断开";
        case EINTR:
            return "操作被中断";
        case EINVAL:
        case EOPNOTSUPP:
        case ENOSYS:
            return "文件系统不支持此操作";
        case ENOLCK:
            return "锁资源不足";
        default:
            return "错误码 " + std::to_string(error.value());
    }
}

}  // namespace tapelink
