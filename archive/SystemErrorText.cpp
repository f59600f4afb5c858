#include "archive/SystemErrorText.h"

#include <cerrno>

namespace tapelink {

std::string systemErrorText(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "没有写入权限";
        case EROFS:
            return "所在磁盘为只读";
        case ENOSPC:
        case EDQUOT:
            return "磁盘已满";
        case ENOENT:
            return "不存在";
        case ENOTDIR:
            return "不是文件夹";
        case EISDIR:
            return "是一个文件夹，不是文件";
        case ELOOP:
            return "是符号链接";
        case ENOLCK:
            return "锁资源不足";
        case EOPNOTSUPP:
        case ENOSYS:
        case EINVAL:
            return "不支持此操作";
        case EIO:
            return "读写出错";
        default:
            return "系统错误 " + std::to_string(error);
    }
}

}  // namespace tapelink
