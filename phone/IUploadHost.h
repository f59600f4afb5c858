#pragma once

#include <optional>
#include <string>

#include "phone/CategoryCriteria.h"
#include "phone/UploadTask.h"

namespace tapelink {

// What the upload engine's starters need from the window that owns the phone list. All calls are made
// on that window's thread.
class IUploadHost {
public:
    virtual ~IUploadHost() = default;

    virtual std::string driveRoot() const = 0;
    virtual std::string uploadFolder() const = 0;
    virtual bool uploadFolderConfirmed() const = 0;
    // Opens the upload-folder picker at the stored folder; true when a folder was picked (then stored and
    // confirmed).
    virtual bool pickUploadFolder() = 0;
    // Runs the category dialog, which writes both criteria on confirmation; empty when it was closed
    // without confirming.
    virtual std::optional<CategoryChoice> askCategory(CategoryCriteria& criteria) = 0;

    // Shows or hides the progress bar and the Stop button.
    virtual void setProgressAreaShown(bool shown) = 0;

    // The worker thread: at most one exists, from startWorker until the host has seen it end.
    virtual bool workerExists() const = 0;
    // False when no thread could be started.
    virtual bool startWorker(const UploadTask& task) = 0;
    // Makes a running worker stop at its next block without any further message.
    virtual void cancelWorker() = 0;
};

}  // namespace tapelink
