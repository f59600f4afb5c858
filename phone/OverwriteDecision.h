#pragma once

namespace tapelink {

// The answer to "file exists, replace it?". Yes and No cover one file; YesToAll and NoToAll hold for the
// rest of the job.
enum class OverwriteDecision { Pending = 0, Yes = 1, YesToAll = 2, No = 3, NoToAll = 4 };

}  // namespace tapelink
