#pragma once

namespace tapelink {

// How an upload job ended.
struct UploadReport {
    int copied = 0;
    int skipped = 0;  // existing targets kept
    int failed = 0;
    bool stopped = false;       // the user's stop request ended the job after a file
    bool terminated = false;    // cancelled at once; no message was shown at the end
    bool sourceGone = false;    // the telephone's voice folder disappeared during the job
    bool folderFailed = false;  // the upload folder vanished or took no more files; the job ended there

    bool operator==(const UploadReport&) const = default;
};

}  // namespace tapelink
