#include "platform/MountInfo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace tapelink {

namespace {

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const auto start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        auto end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        pos = end;
    }
    return fields;
}

// Line layout: id parent major:minor root mount-point options [optional fields...] - fstype source super-options
bool parseLine(std::string_view line, MountEntry& entry) {
    const auto fields = splitFields(line);
    if (fields.size() < 6) return false;
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (separator + 2 >= fields.size()) return false;

    const auto id = fields[0];
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), entry.mountId);
    if (error != std::errc{} || end != id.data() + id.size()) return false;
    entry.device = std::string(fields[2]);
    entry.mountPoint = unescapeMountField(fields[4]);
    entry.source = unescapeMountField(fields[separator + 2]);
    entry.root = unescapeMountField(fields[3]);
    // A remount read-only changes only these; kept so that such a mount compares different.
    entry.options = std::string(fields[5]);
    if (separator + 3 < fields.size()) entry.options += " " + std::string(fields[separator + 3]);
    return !entry.mountPoint.empty();
}

}  // namespace

std::string unescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2]) &&
            isOctalDigit(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            out += static_cast<char>(value & 0xFF);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        MountEntry entry;
        if (parseLine(text.substr(pos, end - pos), entry)) entries.push_back(std::move(entry));
        pos = end + 1;
    }
    return entries;
}

bool readMountInfoFrom(int fd, std::vector<MountEntry>& entries) {
    // The proc file reports no size: read it from its start to its end with plain read() calls.
    if (::lseek(fd, 0, SEEK_SET) < 0) return false;
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    entries = parseMountInfo(text);
    return true;
}

std::vector<MountEntry> readMountInfo(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::vector<MountEntry> entries;
    readMountInfoFrom(fd, entries);
    ::close(fd);
    return entries;
}

std::string blockDeviceName(const std::string& source) {
    constexpr std::string_view kDev = "/dev/";
    if (source.size() <= kDev.size() || source.compare(0, kDev.size(), kDev) != 0) return {};
    std::string name = source.substr(kDev.size());
    if (name.find('/') != std::string::npos || name == "." || name == "..") return {};
    return name;
}

}  // namespace tapelink
