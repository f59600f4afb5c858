#include "phone/PhoneStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace tapelink {

namespace {

// Owns a POSIX descriptor for the length of one operation.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    bool close() {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool readFully(int fd, std::uint8_t* data, std::size_t size, off_t offset, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data + got, size - got, offset + static_cast<off_t>(got));
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

PhoneStore::PhoneStore(std::string driveRoot) : m_driveRoot(std::move(driveRoot)) {
    if (!m_driveRoot.empty() && m_driveRoot.back() != '/') m_driveRoot += '/';
}

IndexReadResult PhoneStore::readHeader(PhoneIndexHeader& header) const {
    FileDescriptor fd(::open(indexPath().c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid()) return IndexReadResult::CannotOpen;
    PhoneIndexHeader read;
    std::size_t got = 0;
    if (!readFully(fd.get(), read.bytes.data(), read.bytes.size(), 0, got)) return IndexReadResult::CannotOpen;
    if (got < PhoneIndexHeader::kSize) return IndexReadResult::TooShort;
    header = read;
    return header.hasValidMagic() ? IndexReadResult::Ok : IndexReadResult::BadMagic;
}

bool PhoneStore::writeHeader(const PhoneIndexHeader& header) const {
    FileDescriptor fd(::open(indexPath().c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid()) return false;
    std::size_t written = 0;
    while (written < header.bytes.size()) {
        const ssize_t n = ::pwrite(fd.get(), header.bytes.data() + written, header.bytes.size() - written,
                                   static_cast<off_t>(written));
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return ::fsync(fd.get()) == 0 && fd.close();
}

}  // namespace tapelink
