#pragma once

#include <string>
#include <vector>

#include "common/CatalogueStatus.h"

namespace tapelink {

// How one run of the archive's worker opened the folder's catalogue, and the messages it left for the
// window. What a command found besides is its own, kept beside this by the command.
struct ArchiveWorkResult {
    bool opened = false;
    CatalogueStatus status = CatalogueStatus::Ok;
    std::string setAsidePath;
    std::vector<std::string> messages;  // the worker's messages, shown once it has ended
};

}  // namespace tapelink
