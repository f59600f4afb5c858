#pragma once

#include <string>
#include <vector>

#include "playback/ISelectionService.h"

namespace tapelink::test {

// A search result list of file paths with one selected row (or none), stepping with wrap-around.
class FakeSelection : public ISelectionService {
public:
    std::string GetSelectedPath() const override;
    void SelectNext() override;
    void SelectPrevious() override;

    std::vector<std::string> rows;
    int selected = -1;
};

}  // namespace tapelink::test
