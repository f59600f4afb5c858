#include "tests/support/FakeMixer.h"

namespace tapelink::test {

bool FakeMixer::open() {
    if (!present) return false;
    ++opens;
    return true;
}

std::optional<std::uint32_t> FakeMixer::findControl(MixerLine, MixerControlKind kind) {
    if (!hasControls) return std::nullopt;
    return kind == MixerControlKind::Volume ? volumeMaximum : 1u;
}

std::optional<std::uint32_t> FakeMixer::readControl(MixerLine line, MixerControlKind kind) {
    if (readsFail) return std::nullopt;
    return values[{line, kind}];
}

bool FakeMixer::writeControl(MixerLine line, MixerControlKind kind, std::uint32_t value) {
    if (writesFail) return false;
    ++writes;
    values[{line, kind}] = value;
    return true;
}

}  // namespace tapelink::test
