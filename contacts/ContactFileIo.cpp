#include "contacts/ContactFileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/fs/WriteAll.h"
#include "contacts/ContactVcard.h"

namespace tapelink {

namespace {

constexpr off_t kMaxFileBytes = 64 << 20;

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool looksLikeVcard(const std::string& bytes, const std::string& path) {
    const std::size_t start = bytes.find_first_not_of(" \t\r\n", bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    if (start != std::string::npos && lowerAscii(bytes.substr(start, 11)) == "begin:vcard") return true;
    const std::string name = lowerAscii(path);
    return name.ends_with(".vcf") || name.ends_with(".vcard");
}

}  // namespace

ContactFileStatus readContactFile(const std::string& path, const ContactCsvColumns& columns, ContactFileContents& out) {
    out = {};
    // Non-blocking: a pipe given as the file is refused below instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return ContactFileStatus::Unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ContactFileStatus::Unreadable;
    }
    if (info.st_size > kMaxFileBytes) {
        ::close(fd);
        return ContactFileStatus::TooLarge;
    }
    std::string bytes;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 && bytes.size() <= static_cast<std::size_t>(kMaxFileBytes)) {
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (got < 0) return ContactFileStatus::Unreadable;
    if (bytes.size() > static_cast<std::size_t>(kMaxFileBytes)) return ContactFileStatus::TooLarge;
    out = looksLikeVcard(bytes, path) ? readContactVcard(bytes) : readContactCsv(bytes, columns);
    return ContactFileStatus::Ok;
}

ContactFileStatus writeContactFile(const std::string& path, const std::string& text) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return ContactFileStatus::Unwritable;
    const mode_t mask = ::umask(0);  // mkstemp's 0600 is for secrets; an export is made as any new file
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    const bool written = writeAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return ContactFileStatus::Unwritable;
    }
    return ContactFileStatus::Ok;
}

}  // namespace tapelink
