#pragma once

#include <string>

namespace tapelink {

// The search result list as the player sees it: the path of the selected recording, and moving the
// selection to the next or previous row with wrap-around.
class ISelectionService {
public:
    virtual ~ISelectionService() = default;
    virtual std::string GetSelectedPath() const = 0;
    virtual void SelectNext() = 0;
    virtual void SelectPrevious() = 0;
};

}  // namespace tapelink
