#pragma once

#include <string>

namespace tapelink {

// Told of a share's progress, on the thread that runs it.
class IShareObserver {
public:
    virtual ~IShareObserver() = default;
    // Before the recording at index (0-based) of count is converted; name is its name in the share.
    virtual void onRecording(int index, int count, const std::string& name) = 0;
};

}  // namespace tapelink
