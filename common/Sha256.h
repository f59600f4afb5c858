#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tapelink {

// SHA-256 of a stream of bytes, fed in pieces; the digest as 64 lower-case hex digits.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t length);
    // Ends the stream; the object starts a new one afterwards.
    std::string hexDigest();

private:
    void* m_context;  // EVP_MD_CTX, kept out of this header
};

// The digest of a whole regular file opened relative to folderFd (AT_FDCWD for a path), never following a
// link; nullopt when it can't be read. size and mtimeNs, when given, receive what fstat saw at the start.
struct HashedFile {
    std::string sha256;
    unsigned long long size = 0;
    long long mtimeNs = 0;
};
std::optional<HashedFile> hashFileAt(int folderFd, const std::string& name);
// The digest of an open regular file from its first byte, read while the caller keeps it open.
std::optional<HashedFile> hashOpenFile(int fd);

}  // namespace tapelink
