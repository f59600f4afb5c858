#pragma once

#include <optional>
#include <string_view>

#include "search/SearchCriteria.h"

namespace tapelink::cli {

// The texts `tapelink-cli search` takes, each parsed on its own so that they can be tested and fuzzed
// without the command line around them. nullopt means the text is not accepted.

// "YYYY-MM-DD" (at 00:00:00) or "YYYY-MM-DD hh:mm[:ss]": a real calendar date from 2000 to 2099.
std::optional<SearchDateTime> parseSearchDate(std::string_view text);
// "all", "caller" or "called".
std::optional<SideChoice> parseSide(std::string_view text);
// "all", "call", "message" or "local".
std::optional<KindChoice> parseKind(std::string_view text);

// The local date and time now, as the end picker starts.
SearchDateTime currentSearchDate();

}  // namespace tapelink::cli
