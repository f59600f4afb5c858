#include "tests/support/DemoTelephone.h"

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"

namespace tapelink::test {

void copyDemoTelephone(const std::vector<std::string>& options, const std::string& target) {
    static std::map<std::vector<std::string>, std::unique_ptr<TempFolder>> made;
    std::unique_ptr<TempFolder>& demo = made[options];
    if (!demo) {
        auto folder = std::make_unique<TempFolder>();
        std::vector<std::string> args{"demo-store", folder->path() + "phone"};
        args.insert(args.end(), options.begin(), options.end());
        const CliResult result = runCli(args);
        if (result.exitCode != 0) throw std::runtime_error("demo-store failed: " + result.err);
        demo = std::move(folder);
    }
    std::filesystem::copy(demo->path() + "phone", target, std::filesystem::copy_options::recursive);
}

}  // namespace tapelink::test
