#include "cli/NotedRecording.h"

#include <filesystem>

#include "archive/NoteRules.h"
#include "cli/ArchiveAccess.h"
#include "cli/CellText.h"

namespace tapelink::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kReadOnly = "存档为只读，备注和标签无法保存！";
constexpr const char* kStoreFailed = "备注和标签保存失败！";
constexpr const char* kReadFailed = "备注和标签读取失败！";

}  // namespace

std::string archiveOfRecording(const std::string& archive, const std::string& file) {
    if (!archive.empty() || file.find('/') == std::string::npos) return archiveFolderOr(archive);
    const fs::path folder = fs::path(file).parent_path();
    return folder.empty() ? std::string("/") : folder.string();
}

std::string archivedFileName(const std::string& folder, const std::string& file) {
    if (file.empty() || file == "." || file == "..") return {};
    if (file.find('/') == std::string::npos) return file;
    // A path counts only when its folder is the archive itself, however it is spelled.
    std::error_code parentError;
    std::error_code archiveError;
    const fs::path path(file);
    const fs::path parent = fs::weakly_canonical(fs::absolute(path).parent_path(), parentError);
    const fs::path archive = fs::weakly_canonical(fs::absolute(folder), archiveError);
    if (parentError || archiveError || parent != archive) return {};
    const std::string name = path.filename().string();
    return name == "." || name == ".." ? std::string() : name;
}

NotedRecording::NotedRecording(const std::string& folder, const std::string& file, bool forChange, CliContext& context)
    : m_context(context) {
    m_ready = locate(folder, file, forChange);
}

bool NotedRecording::locate(const std::string& folder, const std::string& file, bool forChange) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        refuse("上传路径错误！");
        return false;
    }
    m_fileName = archivedFileName(folder, file);
    if (m_fileName.empty()) {
        refuse("不是存档中的录音：" + cellText(file));
        return false;
    }
    if (forChange) {
        m_catalogue = openArchive(folder, m_context.messages).catalogue;
        if (m_context.messages.anyShown()) return false;
        if (!m_catalogue || !m_catalogue->writable()) {
            refuse(kReadOnly);
            return false;
        }
    } else {
        // Reading never creates a catalogue.
        m_catalogue = openCatalogue(folder, CatalogueAccess::ReadOnly, m_context.messages);
        if (m_context.messages.anyShown()) return false;
    }
    std::optional<CatalogueRecord> record;
    if (m_catalogue && m_catalogue->findByName(m_fileName, record) != CatalogueStatus::Ok) {
        refuse(kReadFailed);
        return false;
    }
    // A recording not catalogued yet (an archive that can only be read) has no note, but is no stranger.
    if (!record && !(m_catalogue == nullptr && fs::is_regular_file(fs::path(folder) / m_fileName, error))) {
        refuse("存档中没有这个录音：" + cellText(m_fileName));
        return false;
    }
    return true;
}

bool NotedRecording::read(RecordingNote& note) {
    note = {};
    if (m_catalogue == nullptr) return true;
    if (m_catalogue->notes().noteOf(m_fileName, note) == CatalogueStatus::Ok) return true;
    refuse(kReadFailed);
    return false;
}

bool NotedRecording::store(RecordingNote note) {
    switch (checkNote(note)) {
        case NoteProblem::TooLong:
            refuse("备注过长，最多 " + std::to_string(kMaxNoteCharacters) + " 个字！");
            return false;
        case NoteProblem::BadTag:
            refuse("标签不正确！");
            return false;
        case NoteProblem::None:
            break;
    }
    const CatalogueStatus status = m_catalogue->notes().setNote(m_fileName, note);
    if (status == CatalogueStatus::Ok) return true;
    refuse(status == CatalogueStatus::ReadOnly ? kReadOnly : kStoreFailed);
    return false;
}

nlohmann::ordered_json NotedRecording::json(const RecordingNote& note) const {
    auto tags = nlohmann::ordered_json::array();
    for (const std::string& tag : note.tags) tags.push_back(cellText(tag));
    return {{"file", cellText(m_fileName)}, {"note", cellText(note.text)}, {"tags", tags}};
}

void NotedRecording::refuse(const std::string& text) {
    m_context.messages.showMessage(text, MessageIcon::Warning);
}

}  // namespace tapelink::cli
