#pragma once

#include <string>

namespace tapelink::test {

// Makes a folder refuse to lose entries while it lives: read-only for an ordinary user, append-only where
// the tests run with rights that ignore modes. active() is false when the file system allows neither.
class UndeletableFolder {
public:
    explicit UndeletableFolder(std::string folder);
    ~UndeletableFolder();
    UndeletableFolder(const UndeletableFolder&) = delete;
    UndeletableFolder& operator=(const UndeletableFolder&) = delete;
    bool active() const { return m_active; }

private:
    std::string m_folder;
    int m_fd = -1;
    int m_flags = 0;
    bool m_active = false;
};

}  // namespace tapelink::test
