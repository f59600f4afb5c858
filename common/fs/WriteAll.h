#pragma once

#include <cstddef>

namespace tapelink {

// Writes all size bytes to fd, going on after short writes and interrupted calls. False on failure, with
// errno saying why.
bool writeAll(int fd, const void* data, std::size_t size);

}  // namespace tapelink
