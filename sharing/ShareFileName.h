#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "search/SearchResultRow.h"
#include "sharing/SharePlan.h"

namespace tapelink {

// The longest name a shared file gets, in UTF-8 bytes, extension included: well inside every file system's
// limit (255 bytes, 143 on encrypted home folders), with room for a number that keeps names apart.
inline constexpr std::size_t kMaxShareNameBytes = 120;

// A name every file system and zip reader takes: / \ : * ? " < > | and control characters become "_", broken
// UTF-8 too; trailing dots and spaces and leading spaces go; names Windows reserves for devices (CON, NUL,
// COM1…) get a "_"; the result is cut at a character boundary to maxBytes. Never empty.
std::string safeFileName(std::string_view text, std::size_t maxBytes = kMaxShareNameBytes);

// "2026-03-01_0930_张三_主叫.mp3": start date and time, the contact's name or else the number, and the side
// ("主叫", "被叫"; "留言" for a message, "本地" for a local recording), made safe.
std::string readableShareName(const SearchResultRow& row, ShareFormat format);

}  // namespace tapelink
