#include "tests/support/FakeSelection.h"

namespace tapelink::test {

std::string FakeSelection::GetSelectedPath() const {
    if (selected < 0 || selected >= static_cast<int>(rows.size())) return {};
    return rows[static_cast<std::size_t>(selected)];
}

void FakeSelection::SelectNext() {
    if (selected < 0 || rows.empty()) return;
    selected = (selected + 1) % static_cast<int>(rows.size());
}

void FakeSelection::SelectPrevious() {
    if (selected < 0 || rows.empty()) return;
    const int count = static_cast<int>(rows.size());
    selected = (selected + count - 1) % count;
}

}  // namespace tapelink::test
