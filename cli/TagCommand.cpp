#include "cli/TagCommand.h"

#include <algorithm>
#include <iostream>

#include "archive/NoteRules.h"
#include "cli/ArchiveOption.h"
#include "cli/CellText.h"
#include "cli/NotedRecording.h"

namespace tapelink::cli {

namespace {

// Why a tag can't be stored; empty when it can.
std::string tagProblem(const std::string& tag) {
    RecordingNote alone{{}, {tag}};
    if (checkNote(alone) == NoteProblem::None) return {};
    if (characterCount(tag) > static_cast<std::size_t>(kMaxTagCharacters)) {
        return "标签过长，最多 " + std::to_string(kMaxTagCharacters) + " 个字：" + cellText(tag);
    }
    return "标签不能含空格或方括号：" + cellText(tag);
}

}  // namespace

TagCommand::TagCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand(
          "tag", "Print the tags of an archived recording on one line, space-separated, or change them")),
      m_context(context) {
    ArchiveOption(*m_command, m_archive, "Archive (upload) folder (default: a FILE path's folder, else the stored one)",
                  true);
    m_command->add_option("FILE", m_file, "A recording's file name in the archive, or its path")->required();
    m_command->add_flag("--json", m_json, "Print {file, note, tags} as JSON (after the changes, if any)");
    // "-TAG" looks like an option to the parser: the changes are what it leaves over, in their order (FILE is
    // the only positional, so everything after the first change is left over as it stands).
    m_command->prefix_command();
    m_command->footer(
        "Changes after FILE: +TAG adds a tag, -TAG removes it, in the order given. A tag has at most 20 "
        "characters and no spaces or square brackets.");
}

int TagCommand::run() {
    std::vector<std::string> changes = m_command->remaining();
    // A "--" among the changes only separates them from the options.
    const auto separator = std::find(changes.begin(), changes.end(), "--");
    if (separator != changes.end()) changes.erase(separator);
    // --json after a change is left over with the changes.
    const auto json = std::find(changes.begin(), changes.end(), "--json");
    if (json != changes.end()) {
        changes.erase(json);
        m_json = true;
    }
    for (const std::string& change : changes) {
        if (change.size() < 2 || (change[0] != '+' && change[0] != '-') || change.rfind("--", 0) == 0) {
            std::cerr << "不是标签修改（应为 +标签 或 -标签）：" << cellText(change) << '\n';
            return kExitUsage;
        }
    }
    const std::string folder = archiveOfRecording(m_archive, m_file);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    for (const std::string& change : changes) {
        const std::string problem = change[0] == '+' ? tagProblem(change.substr(1)) : std::string();
        if (!problem.empty()) {
            m_context.messages.showMessage(problem, MessageIcon::Warning);
            return kExitMessage;
        }
    }
    NotedRecording recording(folder, m_file, !changes.empty(), m_context);
    if (!recording.ready()) return kExitMessage;
    RecordingNote note;
    if (!recording.read(note)) return kExitMessage;
    if (changes.empty() && m_json) {
        printJson(recording.json(note));
        return kExitOk;
    }
    if (changes.empty()) {
        std::string line;
        for (const std::string& tag : note.tags) line += (line.empty() ? "" : " ") + cellText(tag);
        if (!line.empty()) std::cout << line << '\n';
        return kExitOk;
    }
    for (const std::string& change : changes) {
        const std::string tag = change.substr(1);
        std::erase(note.tags, tag);
        if (change[0] == '+') note.tags.push_back(tag);
    }
    if (!recording.store(note)) return kExitMessage;
    if (m_json) printJson(recording.json(note));
    return kExitOk;
}

}  // namespace tapelink::cli
