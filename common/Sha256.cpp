#include "common/Sha256.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tapelink {

namespace {

EVP_MD_CTX* context(void* raw) {
    return static_cast<EVP_MD_CTX*>(raw);
}

}  // namespace

Sha256::Sha256() : m_context(EVP_MD_CTX_new()) {
    EVP_DigestInit_ex(context(m_context), EVP_sha256(), nullptr);
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context(m_context));
}

void Sha256::update(const void* data, std::size_t length) {
    EVP_DigestUpdate(context(m_context), data, length);
}

std::string Sha256::hexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context(m_context), digest, &length);
    EVP_DigestInit_ex(context(m_context), EVP_sha256(), nullptr);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text(length * 2, '0');
    for (unsigned int i = 0; i < length; ++i) {
        text[2 * i] = kHex[digest[i] >> 4];
        text[2 * i + 1] = kHex[digest[i] & 0xF];
    }
    return text;
}

std::optional<HashedFile> hashOpenFile(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Sha256 hash;
    std::vector<char> buffer(1 << 18);
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        hash.update(buffer.data(), static_cast<std::size_t>(got));
        offset += got;
    }
    return HashedFile{hash.hexDigest(), static_cast<unsigned long long>(info.st_size),
                      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

std::optional<HashedFile> hashFileAt(int folderFd, const std::string& name) {
    const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    auto hashed = hashOpenFile(fd);
    ::close(fd);
    return hashed;
}

}  // namespace tapelink
