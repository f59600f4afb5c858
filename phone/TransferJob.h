#pragma once

#include <vector>

namespace tapelink {

// The rows one worker (upload or restore) works through, as indices into its window's list,
// in ascending list order.
struct TransferJob {
    std::vector<int> rows;

    int count() const { return static_cast<int>(rows.size()); }
    bool operator==(const TransferJob&) const = default;
};

}  // namespace tapelink
