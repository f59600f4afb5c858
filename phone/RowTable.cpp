#include "phone/RowTable.h"

namespace tapelink {

namespace {
bool isColumn(int column) {
    return column >= 0 && column < static_cast<int>(kRecordingColumnCount);
}
}  // namespace

std::string RowTable::columnTitle(int column) const {
    return isColumn(column) ? recordingColumnTitles()[static_cast<std::size_t>(column)] : std::string();
}

std::string RowTable::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || !isColumn(column)) return {};
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace tapelink
