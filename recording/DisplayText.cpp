#include "recording/DisplayText.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>

namespace tapelink {

std::int64_t durationSeconds(std::int64_t fileSize) {
    // Signed 64-bit with truncating division: no size a file can have wraps, and a file shorter than its
    // header still shows one second.
    const std::int64_t audio = fileSize - 512;
    std::int64_t seconds = audio / 4000;
    if (audio % 4000 >= 20) ++seconds;
    return seconds == 0 ? 1 : seconds;
}

std::string durationText(std::int64_t fileSize) {
    return secondsText(durationSeconds(fileSize));
}

std::string secondsText(std::int64_t seconds) {
    const std::int64_t h = seconds / 3600;
    const std::int64_t m = (seconds % 3600) / 60;
    const std::int64_t s = seconds % 60;
    std::string text;
    if (h != 0) text += std::to_string(h) + "小时";
    if (m != 0) text += std::to_string(m) + "分";
    text += std::to_string(s) + "秒";
    return text;
}

std::string sizeText(std::int64_t fileSize) {
    std::int64_t kilobytes = fileSize / 1024;
    if (fileSize % 1024 >= 512) ++kilobytes;
    if (kilobytes == 0) kilobytes = 1;
    return std::to_string(kilobytes) + "K";
}

std::string startTimeText(const std::string& startKey) {
    std::string text = "20" + startKey;
    if (text.size() < 12) return text;
    text.insert(10, ":");
    text.insert(8, " ");
    text.insert(6, "-");
    text.insert(4, "-");
    return text;
}

namespace {

std::string toUtf8(const std::string& bytes, const char* encoding) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return bytes;
    }
    iconv_t cd = ::iconv_open("UTF-8", encoding);
    if (cd == reinterpret_cast<iconv_t>(-1)) return bytes;
    std::string out(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
        // A byte that is no character of the encoding shows as U+FFFD and the rest is decoded on.
        if (outLeft < 3) break;
        *outPtr++ = '\xEF';
        *outPtr++ = '\xBF';
        *outPtr++ = '\xBD';
        outLeft -= 3;
        ++in;
        --inLeft;
    }
    ::iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string gbkToUtf8(const std::string& gbk) {
    return toUtf8(gbk, "GBK");
}

std::string gb18030ToUtf8(const std::string& gb18030) {
    return toUtf8(gb18030, "GB18030");
}

}  // namespace tapelink
