#pragma once

#include <string>

namespace tapelink {

// name + separator + the local time (YYYYmmdd-HHMMSS), then "-attempt" from the second attempt on.
std::string stampedName(const std::string& name, const std::string& separator, int attempt = 1);

// A name for a file kept aside: stampedName with -2, -3... added while folder + that name is taken, so an
// earlier file kept aside the same second is never replaced.
std::string freeStampedName(const std::string& folder, const std::string& name, const std::string& separator);

}  // namespace tapelink
