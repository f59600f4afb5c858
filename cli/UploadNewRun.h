#pragma once

#include <atomic>
#include <stop_token>
#include <string>

#include "catalogue/IArchiveCatalogue.h"
#include "catalogue/NewRecordingOffload.h"
#include "common/IMessageSink.h"

namespace tapelink::cli {

// One run of "upload new recordings" from the command line: scan the telephone, open and reconcile the
// archive's catalogue under the archive's write lock, copy what is not archived yet.
struct UploadNewResult {
    OffloadReport report;
    bool ran = false;  // false: the telephone's list or the archive could not be read; a message said why
};

UploadNewResult runUploadNew(IArchiveCatalogueOpener& catalogues, const std::string& driveRoot,
                             const std::string& archiveFolder, IMessageSink& messages, std::stop_source stop,
                             const std::atomic<bool>& interrupted);

// "新存档 N 个，此前已存档 M 个，失败 F 个"
std::string uploadNewSummary(const OffloadReport& report);

}  // namespace tapelink::cli
