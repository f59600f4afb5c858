#include "platform/XlsxSpreadsheet.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/CellTextWidth.h"

namespace tapelink {

namespace {

bool flushToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

// A new file named after target with a random suffix. Unlike mkstemp's 0600 it gets the permissions the
// user's umask gives any new file, and keeps them when it is renamed to the target.
int createBeside(const std::string& target, std::string& path) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", random());
        path = target + suffix;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

XlsxSpreadsheet::XlsxSpreadsheet(std::string targetPath) : m_targetPath(std::move(targetPath)) {}

XlsxSpreadsheet::XlsxSpreadsheet(ISpreadsheetOpener& opener, std::string tempParent)
    : m_opener(&opener), m_tempParent(std::move(tempParent)) {}

XlsxSpreadsheet::~XlsxSpreadsheet() {
    release();
}

bool XlsxSpreadsheet::fail(std::string error) {
    m_error = std::move(error);
    return false;
}

bool XlsxSpreadsheet::createApplication() {
    // Only a desktop workbook needs an application; the cheap check comes before anything is created,
    // the launcher's own answer at the hand-over.
    return m_opener == nullptr || m_opener->available();
}

bool XlsxSpreadsheet::openWorkbooks() {
    return true;
}

bool XlsxSpreadsheet::createTemporaryFile() {
    if (m_opener != nullptr) {
        std::error_code ignored;
        const std::filesystem::path parent =
            m_tempParent.empty() ? std::filesystem::temp_directory_path(ignored) : std::filesystem::path(m_tempParent);
        std::filesystem::create_directories(parent, ignored);
        std::string pattern = (parent / "tapelink-export-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return fail("无法创建临时文件夹：" + pattern + "（" + std::strerror(errno) + "）");
        }
        m_folder = pattern;
        m_writingPath = m_folder + "/" + kUntitledName;
        return true;
    }
    // Written beside the target and renamed over it at the end, so a failed export leaves the old file.
    std::string path;
    const int fd = createBeside(m_targetPath, path);
    if (fd < 0) return fail("无法创建表格文件：" + m_targetPath + "（" + std::strerror(errno) + "）");
    ::close(fd);
    m_writingPath = path;
    return true;
}

bool XlsxSpreadsheet::addWorkbook() {
    if (m_workbook != nullptr) return fail("工作簿已经创建");
    if (!createTemporaryFile()) return false;
    m_workbook = workbook_new(m_writingPath.c_str());
    if (m_workbook == nullptr) return fail("无法创建工作簿：" + m_writingPath);
    m_format = workbook_add_format(m_workbook);
    return m_format != nullptr || fail("无法创建工作簿：" + m_writingPath);
}

bool XlsxSpreadsheet::openWorksheets() {
    return m_workbook != nullptr || fail("工作簿尚未创建");
}

bool XlsxSpreadsheet::openWorksheet(int index) {
    if (m_workbook == nullptr || index != 1) return fail("没有工作表 " + std::to_string(index));
    if (m_sheet == nullptr) m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    return m_sheet != nullptr || fail("无法创建工作表");
}

bool XlsxSpreadsheet::openAllCells() {
    return m_sheet != nullptr || fail("工作表尚未创建");
}

bool XlsxSpreadsheet::putCellText(int row, int column, const std::string& text) {
    if (m_sheet == nullptr) return fail("工作表尚未创建");
    if (row < 1 || column < 1 || static_cast<unsigned>(column) > LXW_COL_MAX) {
        return fail("单元格超出范围：" + std::to_string(row) + ", " + std::to_string(column));
    }
    std::string repaired;
    const int width = cellTextWidth(text, repaired);
    const std::string& value = repaired.empty() ? text : repaired;
    const lxw_error result = worksheet_write_string(m_sheet, static_cast<lxw_row_t>(row - 1),
                                                    static_cast<lxw_col_t>(column - 1), value.c_str(), m_format);
    if (result != LXW_NO_ERROR) {
        return fail("无法写入单元格 " + std::to_string(row) + ", " + std::to_string(column) + "（" +
                    lxw_strerror(result) + "）");
    }
    if (m_widths.size() < static_cast<std::size_t>(column)) m_widths.resize(static_cast<std::size_t>(column), 0);
    int& widest = m_widths[static_cast<std::size_t>(column - 1)];
    if (width > widest) widest = width;
    return true;
}

bool XlsxSpreadsheet::openWholeColumns() {
    return m_sheet != nullptr || fail("工作表尚未创建");
}

bool XlsxSpreadsheet::autoFitColumns() {
    if (m_sheet == nullptr) return fail("工作表尚未创建");
    for (std::size_t column = 0; column < m_widths.size(); ++column) {
        const auto index = static_cast<lxw_col_t>(column);
        worksheet_set_column(m_sheet, index, index, m_widths[column] + kWidthPadding, m_format);
    }
    return true;
}

bool XlsxSpreadsheet::centreHorizontally() {
    if (m_sheet == nullptr) return fail("工作表尚未创建");
    // Every cell and every used column carries the shared style, so aligning the style aligns them
    // all. Columns beyond the texts are left alone: styling them would stretch the sheet's used
    // range to its last column, which some spreadsheet applications refuse to load in full.
    format_set_align(m_format, LXW_ALIGN_CENTER);
    return true;
}

bool XlsxSpreadsheet::centreVertically() {
    if (m_sheet == nullptr) return fail("工作表尚未创建");
    format_set_align(m_format, LXW_ALIGN_VERTICAL_CENTER);
    return true;
}

bool XlsxSpreadsheet::showApplication() {
    if (m_workbook == nullptr) return fail("工作簿尚未创建");
    const lxw_error result = workbook_close(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    m_format = nullptr;
    if (result != LXW_NO_ERROR || !flushToDisk(m_writingPath)) {
        return fail("写入表格文件失败：" + m_writingPath + "（" +
                    (result != LXW_NO_ERROR ? lxw_strerror(result) : std::strerror(errno)) + "）");
    }
    if (m_opener == nullptr) {
        if (::rename(m_writingPath.c_str(), m_targetPath.c_str()) != 0) {
            return fail("写入表格文件失败：" + m_targetPath + "（" + std::strerror(errno) + "）");
        }
        m_writingPath.clear();
    }
    m_written = true;
    return true;
}

bool XlsxSpreadsheet::giveControlToUser() {
    if (!m_written) return fail("工作簿尚未写入");
    if (m_opener != nullptr) {
        std::string error;
        if (!m_opener->open(m_writingPath, error)) return fail("无法打开表格程序（" + error + "）");
    }
    m_handedOver = true;
    return true;
}

void XlsxSpreadsheet::release() {
    // A workbook that never reached the user leaves nothing behind.
    if (m_workbook != nullptr) lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    m_format = nullptr;
    if (!m_handedOver) {
        if (m_opener == nullptr && !m_writingPath.empty()) ::unlink(m_writingPath.c_str());
        if (!m_folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_folder, ignored);
        }
    }
    m_folder.clear();
    m_writingPath.clear();
    m_widths.clear();
    m_written = false;
    m_handedOver = false;
}

}  // namespace tapelink
