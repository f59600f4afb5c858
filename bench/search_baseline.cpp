// The least work a search of an archive folder can do: list the folder and read each file's 23-byte
// block. The benchmark compares `tapelink-cli search` against this program.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    DIR* dir = opendir(argv[1]);
    if (dir == nullptr) return 1;
    unsigned long checksum = 0;
    int files = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat info {};
        if (fstatat(dirfd(dir), entry->d_name, &info, 0) != 0) continue;
        const int fd = openat(dirfd(dir), entry->d_name, O_RDONLY);
        if (fd < 0) continue;
        unsigned char block[23];
        if (pread(fd, block, sizeof block, 256) == static_cast<ssize_t>(sizeof block)) {
            for (unsigned char byte : block) checksum += byte;
            checksum += static_cast<unsigned long>(info.st_size);
            ++files;
        }
        close(fd);
    }
    closedir(dir);
    std::printf("%d %lu\n", files, checksum);
    return 0;
}
