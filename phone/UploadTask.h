#pragma once

#include <string>

#include "phone/TransferJob.h"

namespace tapelink {

// One upload worker's input: the rows to copy, where the telephone is and where the copies go.
struct UploadTask {
    TransferJob job;
    std::string driveRoot;     // ends with '/'
    std::string uploadFolder;  // with or without a trailing '/'

    bool operator==(const UploadTask&) const = default;
};

}  // namespace tapelink
