#pragma once

#include <set>
#include <string>

namespace tapelink {

// Keeps the names inside one share apart. Names that differ only in the case of ASCII letters count as the
// same, as they do on Windows and on the telephone's FAT volume.
class ShareNameSet {
public:
    // A name already there (a file in the target folder, the index workbook).
    void reserve(const std::string& name);
    // The name itself when free, else "name_2.ext", "name_3.ext"…, still within the length limit; claimed.
    std::string claim(const std::string& name);

private:
    static std::string folded(const std::string& name);

    std::set<std::string> m_taken;
};

}  // namespace tapelink
