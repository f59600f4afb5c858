#pragma once

namespace tapelink {

// What the restore worker tells its window, in this order: the progress over the rows, then that the
// header counters are final and must be written, that the progress is over, that the bin's list must be
// read again (not after a stop), and last that the main window must scan the telephone again.
// The calls come from the worker's thread; a GUI implementation carries them to the GUI thread in order.
class IRestoreObserver {
public:
    virtual ~IRestoreObserver() = default;
    virtual void progressStarted(int count) = 0;
    virtual void progressAdvanced(int done) = 0;
    virtual void savePhoneIndexRequested() = 0;
    virtual void progressEnded() = 0;
    virtual void listRefreshRequested() = 0;
    virtual void phoneRescanRequested() = 0;
};

}  // namespace tapelink
