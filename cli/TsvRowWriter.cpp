#include "cli/TsvRowWriter.h"

#include <cstdio>

namespace tapelink::cli {

void TsvRowWriter::flush() {
    std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
    m_buffer.clear();
}

}  // namespace tapelink::cli
