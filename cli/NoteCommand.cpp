#include "cli/NoteCommand.h"

#include <iostream>

#include "cli/ArchiveOption.h"
#include "cli/CellText.h"
#include "cli/NotedRecording.h"

namespace tapelink::cli {

NoteCommand::NoteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("note", "Print or set the note of an archived recording")), m_context(context) {
    ArchiveOption(*m_command, m_archive, "Archive (upload) folder (default: a FILE path's folder, else the stored one)",
                  true);
    m_command->add_option("FILE", m_file, "A recording's file name in the archive, or its path")->required();
    m_command->add_flag("--json", m_json, "Print {file, note, tags} as JSON (after the change, if any)");
    m_command->add_option("TEXT", m_text, "The new note (at most 2000 characters; \"\" clears it)");
}

int NoteCommand::run() {
    const std::string folder = archiveOfRecording(m_archive, m_file);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    NotedRecording recording(folder, m_file, m_text.has_value(), m_context);
    if (!recording.ready()) return kExitMessage;
    RecordingNote note;
    if (!recording.read(note)) return kExitMessage;
    if (!m_text) {
        if (m_json) {
            printJson(recording.json(note));
        } else if (!note.text.empty()) {
            std::cout << cellText(note.text) << '\n';
        }
        return kExitOk;
    }
    note.text = *m_text;
    if (!recording.store(note)) return kExitMessage;
    if (m_json) printJson(recording.json(note));
    return kExitOk;
}

}  // namespace tapelink::cli
