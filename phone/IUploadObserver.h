#pragma once

#include <cstdint>
#include <string>

#include "common/IMessageSink.h"
#include "phone/OverwriteDecision.h"
#include "phone/UploadMessages.h"

namespace tapelink {

// What the upload worker reports to and asks of its user. Every call returns once it has been applied
// (a message or prompt once it is dismissed), so the user sees things in the worker's order.
class IUploadObserver : public IMessageSink {
public:
    // The file name shown in column 1 of the row at this moment; empty when the row no longer exists.
    virtual std::string fileNameOfRow(int row) = 0;
    // The device status; the window's caption follows it.
    virtual void setStatusText(const std::string& statusText) = 0;
    virtual void setProgressRange(int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void setProgressVisible(bool visible) = 0;
    // Shows the overwrite prompt and returns the answer (Yes, YesToAll, No or NoToAll).
    virtual OverwriteDecision askOverwrite(const std::string& promptText) = 0;
    // Called on the worker's own thread after each block written, for throughput displays.
    virtual void bytesCopied(std::uint64_t count) { (void)count; }
    // A file that was not uploaded, and why in a few words. A window shows one text for every such file;
    // a terminal names the file and the reason, so that a run with many failures says which and why.
    virtual void uploadFailed(const std::string& fileName, const std::string& reason) {
        (void)fileName;
        (void)reason;
        showMessage(kUploadFailed, MessageIcon::Warning);
    }
    // Called on the worker's own thread once a file has its name in the upload folder.
    virtual void fileUploaded(const std::string& fileName) { (void)fileName; }
};

}  // namespace tapelink
