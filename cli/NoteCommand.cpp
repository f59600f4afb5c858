#include "cli/NoteCommand.h"

#include <iostream>

#include "cli/ArchiveAccess.h"
#include "cli/CellText.h"
#include "cli/NotedRecording.h"

namespace tapelink::cli {

NoteCommand::NoteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("note", "Print or set the note of an archived recording")), m_context(context) {
    m_command->add_option("--archive,--to", m_archive, "Archive (upload) folder (default: the stored one)");
    m_command->add_option("FILE", m_file, "A recording's file name in the archive, or its path")->required();
    m_command->add_option("TEXT", m_text, "The new note (at most 2000 characters; \"\" clears it)");
}

int NoteCommand::run() {
    const std::string folder = archiveFolderOr(m_archive);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    NotedRecording recording(folder, m_file, m_text.has_value(), m_context);
    if (!recording.ready()) return kExitMessage;
    RecordingNote note;
    if (!recording.read(note)) return kExitMessage;
    if (!m_text) {
        if (!note.text.empty()) std::cout << cellText(note.text) << '\n';
        return kExitOk;
    }
    note.text = *m_text;
    return recording.store(note) ? kExitOk : kExitMessage;
}

}  // namespace tapelink::cli
