#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "archive/IArchiveCatalogue.h"
#include "archive/RecordingNote.h"
#include "cli/CliContext.h"

namespace tapelink::cli {

// The archived recording a note or tag command names, with the catalogue that keeps its note.
class NotedRecording {
public:
    // folder: the archive; file: a file name in it, or a path (from the working folder) to a file directly
    // in it. forChange opens the catalogue for writing and brings it in line with the folder first.
    // Refusals are told through context's messages; ready() is then false.
    NotedRecording(const std::string& folder, const std::string& file, bool forChange, CliContext& context);

    bool ready() const { return m_ready; }
    // The note as stored; false after a message.
    bool read(RecordingNote& note);
    // Checks and stores the note; false after a message saying why nothing was stored.
    bool store(RecordingNote note);
    // What --json prints of the recording's note: {"file", "note", "tags"}.
    nlohmann::ordered_json json(const RecordingNote& note) const;

private:
    bool locate(const std::string& folder, const std::string& file, bool forChange);
    void refuse(const std::string& text);

    CliContext& m_context;
    std::unique_ptr<IArchiveCatalogue> m_catalogue;  // null: a read-only archive never catalogued
    std::string m_fileName;
    bool m_ready = false;
};

// The archive a note or tag command works on: archive when given, else the folder of a path, else the stored
// upload folder (empty when there is none).
std::string archiveOfRecording(const std::string& archive, const std::string& file);

// The file name in folder that file names, or empty when it leads anywhere else.
std::string archivedFileName(const std::string& folder, const std::string& file);

}  // namespace tapelink::cli
