#pragma once

#include <string>

#include "cli/CellText.h"

namespace tapelink::cli {

// Writes rows to stdout as tab-separated lines as they come, through one reused buffer, so that a long list
// is neither held in memory nor written a row at a time. Cells go out as cellText() shows them, so a row is
// always exactly one line of cells.
class TsvRowWriter {
public:
    TsvRowWriter() { m_buffer.reserve(kFlushSize + 1024); }
    ~TsvRowWriter() { flush(); }
    TsvRowWriter(const TsvRowWriter&) = delete;
    TsvRowWriter& operator=(const TsvRowWriter&) = delete;

    template <typename Row>
    void write(const Row& row) {
        bool first = true;
        for (const std::string& cell : row) {
            if (!first) m_buffer += '\t';
            appendCellText(m_buffer, cell);
            first = false;
        }
        m_buffer += '\n';
        if (m_buffer.size() >= kFlushSize) flush();
    }
    void flush();

private:
    static constexpr std::size_t kFlushSize = 64 * 1024;
    std::string m_buffer;
};

}  // namespace tapelink::cli
