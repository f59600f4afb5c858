#include "platform/ZipShareWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/fs/FileDescriptor.h"
#include "sharing/ShareReport.h"

namespace tapelink {

namespace {

bool endsWith(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

bool syncFile(const std::string& path, int flags) {
    const FileDescriptor file(::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW));
    return file.valid() && ::fsync(file.get()) == 0;
}

}  // namespace

bool ZipShareWriter::begin(std::string& error) {
    const std::filesystem::path target(m_path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    std::string temporary = folder + "/." + target.filename().string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = shareErrorText(errno);
        return false;
    }
    ::fchmod(fd, 0644);
    ::close(fd);
    m_temporary = temporary;
    int code = 0;
    m_zip = zip_open(m_temporary.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (m_zip == nullptr) {
        zip_error_t failure;
        zip_error_init_with_code(&failure, code);
        error = std::string("压缩包创建失败（") + zip_error_strerror(&failure) + "）。";
        zip_error_fini(&failure);
        abandon();
        return false;
    }
    return true;
}

bool ZipShareWriter::add(const std::string& name, const std::vector<std::uint8_t>& bytes, std::string& error) {
    // libzip reads the data when the zip is closed and frees it then.
    void* copy = std::malloc(bytes.empty() ? 1 : bytes.size());
    if (copy == nullptr) {
        error = "内存不足。";
        return false;
    }
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    zip_source_t* source = zip_source_buffer(m_zip, copy, bytes.size(), 1);
    if (source == nullptr) {
        std::free(copy);
        error = zipErrorText();
        return false;
    }
    const zip_int64_t index = zip_file_add(m_zip, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        error = zipErrorText();
        return false;
    }
    if (endsWith(name, ".mp3")) zip_set_file_compression(m_zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    return true;
}

bool ZipShareWriter::commit(std::string& error) {
    if (zip_close(m_zip) != 0) {
        error = zipErrorText();
        abandon();
        return false;
    }
    m_zip = nullptr;
    const std::string folder =
        std::filesystem::path(m_path).has_parent_path() ? std::filesystem::path(m_path).parent_path().string() : ".";
    if (!syncFile(m_temporary, O_RDONLY) || ::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        error = shareErrorText(errno);
        abandon();
        return false;
    }
    m_temporary.clear();
    syncFile(folder, O_RDONLY | O_DIRECTORY);
    struct stat status {};
    m_size = ::stat(m_path.c_str(), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    return true;
}

void ZipShareWriter::abandon() {
    if (m_zip != nullptr) zip_discard(m_zip);
    m_zip = nullptr;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

std::string ZipShareWriter::zipErrorText() const {
    zip_error_t* failure = zip_get_error(m_zip);
    // A full or read-only disk is told in words; libzip's own text says the rest.
    if (zip_error_system_type(failure) == ZIP_ET_SYS && zip_error_code_system(failure) != 0) {
        return shareErrorText(zip_error_code_system(failure));
    }
    return std::string("压缩包写入失败（") + zip_error_strerror(failure) + "）。";
}

}  // namespace tapelink
