#include "sharing/ShareRun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/fs/FileDescriptor.h"
#include "export/ExcelExporter.h"
#include "sharing/ShareFileName.h"
#include "sharing/ShareIndex.h"
#include "sharing/ShareNameSet.h"
#include "sharing/ShareReport.h"

namespace tapelink {

namespace {

namespace fs = std::filesystem;

// Larger than any telephone recording (a day of 8 kHz ADPCM is 350 MB); a bigger file is not one.
constexpr std::uint64_t kMaxRecordingBytes = 1ull << 30;

class LastMessage : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon) override { m_text = text; }
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// The path with the part that exists resolved, so that "a/link/new" compares by where the link goes.
fs::path resolved(const fs::path& path) {
    std::error_code error;
    fs::path existing = fs::absolute(path, error).lexically_normal();
    fs::path rest;
    while (!existing.empty() && !fs::exists(existing, error)) {
        rest = existing.filename() / rest;
        if (existing == existing.parent_path()) break;
        existing = existing.parent_path();
    }
    const fs::path canonical = fs::canonical(existing, error);
    return ((error ? existing : canonical) / rest).lexically_normal();
}

bool inside(const fs::path& path, const fs::path& folder) {
    const std::string target = path.string() + "/";
    std::string base = folder.string();
    if (base.empty()) return false;
    if (base.back() != '/') base += '/';
    return target.rfind(base, 0) == 0;
}

}  // namespace

bool readRecordingBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (!file.valid() || ::fstat(file.get(), &status) != 0) {
        error = errno == ENOENT ? "文件不存在。" : errno == ELOOP ? "是符号链接，不会读取。" : "无法打开文件。";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "不是普通文件。";
        return false;
    }
    if (static_cast<std::uint64_t>(status.st_size) > kMaxRecordingBytes) {
        error = "文件过大，不是录音文件。";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            error = "读取文件失败。";
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool shareTargetProtected(const SharePlan& plan) {
    const fs::path target = resolved(plan.targetPath);
    // A zip writes its temporary file beside itself, a folder share writes inside the folder.
    const fs::path writes = plan.target == ShareTarget::Zip ? target.parent_path() : target;
    std::vector<std::string> folders = plan.protectedFolders;
    for (const ShareItem& item : plan.items) folders.push_back(fs::path(item.path).parent_path().string());
    for (const std::string& folder : folders) {
        if (!folder.empty() && inside(writes, resolved(folder))) return true;
    }
    return false;
}

ShareReport ShareRun::failed(std::string message) {
    m_writer.abandon();
    ShareReport report;
    report.outcome = ShareOutcome::Failed;
    report.message = std::move(message);
    return report;
}

ShareReport ShareRun::run(const SharePlan& plan, std::stop_token stop, IShareObserver& observer) {
    if (plan.items.empty()) return failed("没有选择要分享的录音。");
    if (plan.targetPath.empty()) return failed("没有指定分享的保存位置。");
    if (shareTargetProtected(plan)) {
        return failed("不能把分享保存到存档文件夹或电话中，请另选位置：" + plan.targetPath);
    }
    std::string error;
    if (!m_writer.begin(error)) return failed("无法创建分享 " + plan.targetPath + "：" + error);

    ShareNameSet nameSet;
    for (const std::string& taken : m_writer.takenNames()) nameSet.reserve(taken);
    nameSet.reserve(kShareIndexName);
    ShareReport report;
    const int count = static_cast<int>(plan.items.size());
    for (int index = 0; index < count; ++index) {
        if (stop.stop_requested()) break;
        const ShareItem& item = plan.items[static_cast<std::size_t>(index)];
        const std::string name = nameSet.claim(readableShareName(item.row, plan.format));
        observer.onRecording(index, count, name);
        std::vector<std::uint8_t> original;
        if (!readRecordingBytes(item.path, original, error)) return failed("无法读取录音 " + item.path + "：" + error);
        std::vector<std::uint8_t> encoded;
        if (!m_encoder.encode(original, encoded, error)) {
            return failed("无法转换录音 " + item.path + "：" + error);
        }
        if (!m_writer.add(name, encoded, error)) return failed("无法写入分享 " + plan.targetPath + "：" + error);
        report.names.push_back(name);
    }
    if (stop.stop_requested()) {
        ShareReport stopped = failed("分享已停止，没有留下不完整的文件。");
        stopped.outcome = ShareOutcome::Stopped;
        return stopped;
    }
    if (!addIndex(plan, report.names, error)) return failed("无法写入录音清单：" + error);
    if (!m_writer.commit(error)) return failed("无法写入分享 " + plan.targetPath + "：" + error);
    report.outcome = ShareOutcome::Written;
    report.size = m_writer.committedSize();
    return report;
}

bool ShareRun::addIndex(const SharePlan& plan, const std::vector<std::string>& names, std::string& error) {
    // The workbook is made in a private folder of its own and read back, whatever the target is.
    std::string folder = (fs::temp_directory_path() / "tapelink-share-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        error = shareErrorText(errno);
        return false;
    }
    const std::string path = folder + "/" + kShareIndexName;
    bool written = false;
    {
        LastMessage message;
        std::unique_ptr<ISpreadsheet> sheet = m_spreadsheet(path);
        written = sheet && ExcelExporter(message).ExportList(shareIndexTable(plan.items, names), *sheet);
        error = message.text().empty() ? "无法创建工作簿。" : message.text();
    }
    std::vector<std::uint8_t> bytes;
    written = written && readRecordingBytes(path, bytes, error);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return written && m_writer.add(kShareIndexName, bytes, error);
}

}  // namespace tapelink
