#include "sharing/ShareReport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tapelink {

std::string mailLimitWarning(std::uint64_t size) {
    if (size <= kMailLimitBytes) return {};
    char megabytes[32];
    std::snprintf(megabytes, sizeof megabytes, "%.1f", static_cast<double>(size) / (1024.0 * 1024.0));
    return std::string("分享文件大小为 ") + megabytes + " MB，超过常见邮件附件上限（20 MB），可能无法通过邮件发送。";
}

std::string shareErrorText(int errorNumber) {
    switch (errorNumber) {
        case ENOSPC:
        case EDQUOT:
            return "磁盘空间不足。";
        case EROFS:
            return "目标位于只读的磁盘上。";
        case EACCES:
        case EPERM:
            return "没有写入权限。";
        case ENOENT:
            return "所在的文件夹不存在。";
        case EISDIR:
            return "同名的文件夹已存在。";
        case ENOTDIR:
            return "路径中有一部分不是文件夹。";
        case ENAMETOOLONG:
            return "路径过长。";
        case EIO:
            return "读写磁盘出错。";
        default:
            return std::string("系统错误（") + std::strerror(errorNumber) + "）。";
    }
}

}  // namespace tapelink
