#include "phone/PhoneIndexFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "phone/DeviceStatus.h"
#include "phone/VolumeMessages.h"

namespace tapelink {

namespace {

bool readFully(int fd, std::uint8_t* data, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data + got, size - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool writeFully(int fd, const std::uint8_t* data, std::size_t size) {
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::pwrite(fd, data + written, size - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool refusesWrites(int error) {
    return error == EROFS || error == EACCES || error == EPERM;
}

// The index opened for writing once every check has passed; invalid otherwise, with the reason in check.
FileDescriptor openForWriting(const PhoneVolume& volume, const PhoneIndexHeader& header, IndexWriteCheck& check) {
    const VolumeIdentity now = volume.identity();
    if (!header.origin.sameRoot(now)) {
        check = IndexWriteCheck::NotReady;
        return {};
    }
    if (!header.origin.hasIndex() || !now.hasIndex()) {
        check = IndexWriteCheck::IndexUnusable;
        return {};
    }
    if (header.origin.indexDevice != now.indexDevice || header.origin.indexInode != now.indexInode) {
        check = IndexWriteCheck::NotReady;
        return {};
    }
    if (volume.readOnly()) {
        check = IndexWriteCheck::ReadOnly;
        return {};
    }
    const FileDescriptor system = volume.openFolder(PhoneVolume::kSystem);
    FileDescriptor index =
        system.valid() ? openRegularFileAt(system.get(), PhoneVolume::kIndexName, O_RDWR) : FileDescriptor();
    struct stat info {};
    if (!index.valid()) {
        check = refusesWrites(errno) ? IndexWriteCheck::ReadOnly : IndexWriteCheck::NotReady;
        return {};
    }
    // Replaced between the look and the open.
    if (::fstat(index.get(), &info) != 0 || info.st_ino != now.indexInode || info.st_dev != now.indexDevice) {
        check = IndexWriteCheck::NotReady;
        return {};
    }
    check = IndexWriteCheck::Ok;
    return index;
}

}  // namespace

IndexReadResult readIndexHeader(const PhoneVolume& volume, PhoneIndexHeader& header) {
    header = PhoneIndexHeader{};
    header.origin = volume.identity();
    const std::uint64_t indexDevice = header.origin.indexDevice;
    const std::uint64_t indexInode = header.origin.indexInode;
    header.origin.indexDevice = 0;
    header.origin.indexInode = 0;

    const FileDescriptor system = volume.openFolder(PhoneVolume::kSystem);
    const FileDescriptor index =
        system.valid() ? openRegularFileAt(system.get(), PhoneVolume::kIndexName, O_RDONLY) : FileDescriptor();
    struct stat info {};
    if (!index.valid() || ::fstat(index.get(), &info) != 0) return IndexReadResult::CannotOpen;
    std::size_t got = 0;
    if (!readFully(index.get(), header.bytes.data(), header.bytes.size(), got)) {
        header.bytes = {};
        return IndexReadResult::CannotOpen;
    }
    if (got < PhoneIndexHeader::kSize) {
        header.bytes = {};
        return IndexReadResult::TooShort;
    }
    if (!header.hasValidMagic()) return IndexReadResult::BadMagic;
    // Only an index that is still the one identity() saw is remembered as the origin.
    if (info.st_dev == indexDevice && info.st_ino == indexInode) {
        header.origin.indexDevice = indexDevice;
        header.origin.indexInode = indexInode;
    }
    return IndexReadResult::Ok;
}

IndexWriteCheck checkIndexWritable(const PhoneVolume& volume, const PhoneIndexHeader& header) {
    IndexWriteCheck check = IndexWriteCheck::NotReady;
    openForWriting(volume, header, check);
    return check;
}

IndexWriteCheck writeIndexHeader(const PhoneVolume& volume, const PhoneIndexHeader& header) {
    IndexWriteCheck check = IndexWriteCheck::NotReady;
    FileDescriptor index = openForWriting(volume, header, check);
    if (!index.valid()) return check;
    const bool written =
        writeFully(index.get(), header.bytes.data(), header.bytes.size()) && ::fsync(index.get()) == 0 && index.close();
    if (written) return IndexWriteCheck::Ok;
    return refusesWrites(errno) ? IndexWriteCheck::ReadOnly : IndexWriteCheck::NotReady;
}

const char* refusalText(IndexWriteCheck check) {
    switch (check) {
        case IndexWriteCheck::Ok:
            return "";
        case IndexWriteCheck::NotReady:
            return kDeviceNotReady;
        case IndexWriteCheck::IndexUnusable:
            return kIndexUnusable;
        case IndexWriteCheck::ReadOnly:
            return kPhoneReadOnly;
    }
    return kDeviceNotReady;
}

}  // namespace tapelink
