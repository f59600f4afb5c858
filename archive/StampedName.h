#pragma once

#include <string>

namespace tapelink {

// A name for a file kept aside: name + separator + the local time (YYYYmmdd-HHMMSS), with -2, -3... added
// while folder + that name is taken, so an earlier file kept aside the same second is never replaced.
std::string freeStampedName(const std::string& folder, const std::string& name, const std::string& separator);

}  // namespace tapelink
