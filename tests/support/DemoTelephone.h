#pragma once

#include <string>
#include <vector>

namespace tapelink::test {

// Copies a demo telephone made by `tapelink-cli demo-store` with the given options into target (which must
// not exist yet). Each set of options is made once per test program and copied for every test.
void copyDemoTelephone(const std::vector<std::string>& options, const std::string& target);

}  // namespace tapelink::test
