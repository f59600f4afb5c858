#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "search/SearchCriteria.h"

namespace tapelink::cli {

// A check that accepts exactly the dates parseSearchDate accepts; hint follows the refusal.
CLI::Validator searchDateValidator(const std::string& hint = {});
// The hint after a refused --to: --to was once the archive folder in other commands.
inline constexpr const char* kToIsADate = "（--to 是结束日期；存档文件夹请用 --archive DIR）";

// The search criteria options shared by `search` and `export --search`, with the search dialog's
// defaults (from 2010-03-01 00:00:00 to now, every side and kind, any number).
class SearchOptions {
public:
    void addTo(CLI::App& command);
    // Valid once the command line has been parsed: the options were checked while parsing.
    SearchCriteria criteria() const;
    // The options of these that the command line gave ("--to、--kind"), empty when none.
    std::string given() const;

private:
    std::string m_from = "2010-03-01";
    std::string m_to;
    std::string m_side = "all";
    std::string m_kind = "all";
    std::string m_number;
    std::string m_text;
    std::vector<const CLI::Option*> m_options;
};

}  // namespace tapelink::cli
