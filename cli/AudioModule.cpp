#include "cli/AudioModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "common/fs/FileErrorText.h"

namespace tapelink::cli {

namespace {

std::string loaderError() {
    const char* error = dlerror();
    return error != nullptr ? error : "未知错误";
}

void* openModule(std::string& error) {
    std::error_code failed;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (failed) {
        error = "/proc/self/exe：" + errorReasonText(failed);
        return nullptr;
    }
    const auto folder = executable.parent_path();
    for (const auto& candidate : {folder / kTapelinkAudioModule, folder / "../lib/tapelink" / kTapelinkAudioModule}) {
        if (void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
        error = loaderError();
        // A module that is there but cannot load says more than the search for the next one.
        if (std::filesystem::exists(candidate, failed)) break;
    }
    return nullptr;
}

}  // namespace

const TapelinkAudioCommands* loadAudioCommands(IMessageSink& messages) {
    const std::string failure = std::string("无法加载音频模块 ") + kTapelinkAudioModule + "：";
    std::string error;
    void* module = openModule(error);
    if (module == nullptr) {
        messages.showMessage(failure + error, MessageIcon::Stop);
        return nullptr;
    }
    using Entry = const TapelinkAudioCommands* (*)();
    const auto entry = reinterpret_cast<Entry>(dlsym(module, kTapelinkAudioEntry));
    if (entry == nullptr) {
        messages.showMessage(failure + loaderError(), MessageIcon::Stop);
        return nullptr;
    }
    const TapelinkAudioCommands* commands = entry();
    if (commands == nullptr || commands->abiVersion != kTapelinkAudioAbi) {
        messages.showMessage(failure + "它属于另一个版本的 tapelink-cli", MessageIcon::Stop);
        return nullptr;
    }
    return commands;
}

}  // namespace tapelink::cli
