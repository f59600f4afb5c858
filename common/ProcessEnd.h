#pragma once

namespace tapelink {

// Ends the process with status once the program's own objects are gone: flushes standard output and error,
// runs the leak check of a sanitizer build, and then leaves without exit()'s static destructors. Qt
// Multimedia and the sound server's client library keep a thread of their own, and their exit handlers
// would tear down what that thread still uses.
[[noreturn]] void endProcess(int status);

}  // namespace tapelink
