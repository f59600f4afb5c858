#pragma once

#include <cstdint>
#include <string>

namespace tapelink {

// The texts every recording list shows for a file's size and start time.

// "1小时1分1秒": estimated from the file size at 4000 bytes of audio per second after the 512-byte header.
std::string durationText(std::int64_t fileSize);
// The seconds that text shows.
std::int64_t durationSeconds(std::int64_t fileSize);
// "1小时1分1秒" for a number of seconds (a sum of durations, say).
std::string secondsText(std::int64_t seconds);

// "2K": kilobytes, rounding half a kilobyte up, never below 1.
std::string sizeText(std::int64_t fileSize);

// "2011-05-18 09:07" from the key "1105180907".
std::string startTimeText(const std::string& startKey);

// GBK bytes (the telephone's code page) as UTF-8; ASCII passes through unchanged.
std::string gbkToUtf8(const std::string& gbk);
// GB18030 bytes (GBK and its four-byte extension, as Chinese files outside the telephone use) as UTF-8.
std::string gb18030ToUtf8(const std::string& gb18030);

}  // namespace tapelink
