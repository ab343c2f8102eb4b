#include "store/FileFailure.h"

#include "i18n/Translate.h"
#include "store/IniFile.h"

#include <cerrno>

namespace lanvex::store {

namespace {

constexpr const char* kContext = "FileFailure";

const char* reasonFor(int errorCode)
{
    switch (errorCode) {
    case ENOENT:
    case ENOTDIR:
        return LANVEX_TR_NOOP("FileFailure", "文件或它所在的文件夹不存在。");
    case EACCES:
    case EPERM:
    case EROFS:
        return LANVEX_TR_NOOP("FileFailure", "没有权限，或者文件是只读的。");
    case EISDIR:
        return LANVEX_TR_NOOP("FileFailure", "这个位置上是一个文件夹。");
    case EINVAL:
        return LANVEX_TR_NOOP("FileFailure", "它不是一个普通文件。");
    case ENOSPC:
        return LANVEX_TR_NOOP("FileFailure", "磁盘空间不足。");
    case EMLINK:
        return LANVEX_TR_NOOP("FileFailure", "文件还有其他硬链接，替换它会使它们与它分离。");
    case EWOULDBLOCK:
        return LANVEX_TR_NOOP("FileFailure", "文件正被其他程序锁定，请稍后再试。");
    case EBUSY:
        return LANVEX_TR_NOOP("FileFailure", "文件正在被其他程序不断修改，请稍后再试。");
    case ELOOP:
        return LANVEX_TR_NOOP("FileFailure", "文件是一个无法解析的符号链接。");
    case ENXIO:
        return LANVEX_TR_NOOP("FileFailure", "没有程序在读取这个管道。");
    case EILSEQ:
        return LANVEX_TR_NOOP("FileFailure", "内容中含有文件无法保存的字符。");
    case E2BIG:
        return LANVEX_TR_NOOP("FileFailure", "文件中的节（[...]）太多，不是本程序能读取的配置文件。");
    default:
        return nullptr;
    }
}

} // namespace

std::string FileFailureText(int errorCode)
{
    if (errorCode == EFBIG)
        return i18n::Arg(i18n::Translate(kContext, LANVEX_TR_NOOP("FileFailure", "文件超过了本程序的上限（%1 MiB）。")),
                         { std::to_string(IniFile::kMaxFileBytes >> 20) });
    if (const char* reason = reasonFor(errorCode))
        return i18n::Translate(kContext, reason);
    return i18n::Arg(i18n::Translate(kContext, LANVEX_TR_NOOP("FileFailure", "系统错误（代码 %1）。")),
                     { std::to_string(errorCode) });
}

} // namespace lanvex::store
