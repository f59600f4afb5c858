#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli archive expire [DIR] [--days N] [--dry-run] [--yes] [--json]: shows which recordings the rule
// "保留 N 天" would move out of the archive, then moves them to .tapelink/expired/; recordings copied from
// the telephone move only with --yes, after the user saw them in the preview. Without --days, the rule
// kept in archive.ini; expired recordings older than --purge-after days (default from there too) go for good.
// tapelink-cli archive expired list [DIR] | restore NAME… | purge [DIR] [--older-than DAYS]: the
// recordings waiting there, put back or deleted for good.
class ExpireCommand {
public:
    explicit ExpireCommand(CLI::App& archive);
    bool parsed() const;
    int run(CliContext& context, const std::string& folder);
    // Where the sub-commands keep the folder named by DIR or --archive.
    std::string& folder() { return m_folder; }

private:
    int expire(CliContext& context, const std::string& folder);
    int list(CliContext& context, const std::string& folder);
    int restore(CliContext& context, const std::string& folder);
    int purge(CliContext& context, const std::string& folder);

    CLI::App* m_expire;
    CLI::App* m_expired;
    CLI::App* m_list;
    CLI::App* m_restore;
    CLI::App* m_purge;
    CLI::Option* m_purgeAfterOption;
    std::string m_folder;
    int m_days = 0;
    int m_purgeAfter = 30;
    int m_olderThan = 0;
    bool m_dryRun = false;
    bool m_yes = false;
    bool m_json = false;
    std::vector<std::string> m_names;
};

}  // namespace tapelink::cli
