#include "cli/SearchOptions.h"

#include "cli/SearchArguments.h"
#include "cli/ValueChecks.h"

namespace tapelink::cli {

CLI::Validator searchDateValidator(const std::string& hint) {
    return CLI::Validator(
        [hint](std::string& text) {
            return parseSearchDate(text)
                       ? std::string()
                       : "不是 2000 到 2099 年间 YYYY-MM-DD 或 YYYY-MM-DD hh:mm[:ss] 形式的日期：" + text + hint;
        },
        "YYYY-MM-DD or YYYY-MM-DD hh:mm[:ss] from 2000 to 2099");
}

void SearchOptions::addTo(CLI::App& command) {
    m_options.clear();
    m_options.push_back(
        command.add_option("--from", m_from, "Start date, counted from 00:00 of its day (default 2010-03-01)")
            ->check(searchDateValidator()));
    m_options.push_back(command.add_option("--to", m_to, "End date, counted up to 23:59 of its day (default now)")
                            ->check(searchDateValidator(kToIsADate)));
    m_options.push_back(
        command.add_option("--side", m_side, "Side of the call")->check(oneOf({"all", "caller", "called"})));
    m_options.push_back(
        command.add_option("--kind", m_kind, "Kind of recording")->check(oneOf({"all", "call", "message", "local"})));
    m_options.push_back(
        command.add_option("--text", m_text, "Part of a recording's note or of one of its tags, in any case"));
    m_options.push_back(
        command
            .add_option("--number", m_number,
                        "Part of the phone number, at most 16 characters; without digits, part of a contact's name")
            ->check([](const std::string& text) {
                return text.size() <= kMaxNumberLength ? std::string() : "号码超过 16 个字符";
            }));
}

std::string SearchOptions::given() const {
    std::string names;
    for (const CLI::Option* option : m_options) {
        if (option->count() > 0) names += (names.empty() ? "" : "、") + option->get_name();
    }
    return names;
}

SearchCriteria SearchOptions::criteria() const {
    SearchCriteria criteria;
    criteria.from = *parseSearchDate(m_from);
    criteria.to = m_to.empty() ? currentSearchDate() : *parseSearchDate(m_to);
    criteria.side = *parseSide(m_side);
    criteria.kind = *parseKind(m_kind);
    criteria.number = m_number;
    criteria.noteText = m_text;
    return criteria;
}

}  // namespace tapelink::cli
