#include "search/ui/SearchResultModel.h"

#include <algorithm>

namespace tapelink {

namespace {

constexpr int kNameColumn = static_cast<int>(kSearchColumnCount);
constexpr const char* kNameColumnTitle = "姓名";
constexpr int kDeskColumn = kNameColumn + 1;
constexpr const char* kDeskColumnTitle = "工位";
constexpr int kNumberCellColumn = 3;  // 电话号码

}  // namespace

SearchResultModel::SearchResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int SearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table.rowCount();
}

int SearchResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table.columnCount() + (m_deskColumn ? 2 : 1);
}

void SearchResultModel::showDeskColumn() {
    if (m_deskColumn) return;
    beginInsertColumns({}, kDeskColumn, kDeskColumn);
    m_deskColumn = true;
    endInsertColumns();
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole && index.column() == kNameColumn)
        return QString::fromStdString(m_table.nameText(index.row()));
    if (role == Qt::DisplayRole && index.column() == kDeskColumn) return QString::fromStdString(row(index.row()).desk);
    // The caller's name beside the number, where the name column is out of sight.
    if (role == Qt::ToolTipRole && index.column() == kNumberCellColumn) {
        const std::string caller = m_table.nameText(index.row());
        return caller.empty() ? QVariant() : QVariant(QString::fromStdString(caller));
    }
    if (role == Qt::DisplayRole) return QString::fromStdString(m_table.cellText(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole && section == kNameColumn) return QString::fromUtf8(kNameColumnTitle);
    if (role == Qt::DisplayRole && section == kDeskColumn) return QString::fromUtf8(kDeskColumnTitle);
    if (role == Qt::DisplayRole) return QString::fromStdString(m_table.columnTitle(section));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void SearchResultModel::setContactDirectory(std::shared_ptr<const ContactDirectory> directory) {
    m_directory = std::move(directory);
}

void SearchResultModel::annotate(RecordingAnnotations& annotations, const std::string& archiveFolder) {
    flushPending();
    std::vector<SearchResultRow> rows = m_table.takeRows();
    annotations.annotate(rows, archiveFolder);
    m_table.appendRows(std::move(rows));
    if (rowCount() > 0) emit dataChanged(index(0, kNameColumn), index(rowCount() - 1, kNameColumn));
}

void SearchResultModel::removeTableRows(const std::vector<int>& ascendingRows) {
    if (ascendingRows.empty()) return;
    const bool contiguous = ascendingRows.back() - ascendingRows.front() + 1 == static_cast<int>(ascendingRows.size());
    if (contiguous) {
        beginRemoveRows({}, ascendingRows.front(), ascendingRows.back());
        m_table.removeRows(ascendingRows);
        endRemoveRows();
        return;
    }
    // Scattered rows go in one pass rather than one shift of the whole table per row.
    beginResetModel();
    m_table.removeRows(ascendingRows);
    endResetModel();
}

void SearchResultModel::flushPending() {
    if (m_pending.empty()) return;
    const int first = m_table.rowCount();
    beginInsertRows({}, first, first + static_cast<int>(m_pending.size()) - 1);
    m_table.appendRows(std::move(m_pending));
    m_pending.clear();
    endInsertRows();
}

int SearchResultModel::ListAccess::rowCount() const {
    return m_model.m_table.rowCount() + static_cast<int>(m_model.m_pending.size());
}

void SearchResultModel::ListAccess::clearRows() {
    m_model.beginResetModel();
    m_model.m_pending.clear();
    m_model.m_table.clearRows();
    m_model.endResetModel();
}

void SearchResultModel::ListAccess::insertRow(int position, SearchResultRow row) {
    if (row.name.empty() && m_model.m_directory) row.name = m_model.m_directory->nameFor(row[kSearchNumberColumn]);
    if (m_model.m_updates > 0 && position == rowCount()) {
        m_model.m_pending.push_back(std::move(row));
        return;
    }
    m_model.flushPending();
    const int at = std::clamp(position, 0, m_model.m_table.rowCount());
    m_model.beginInsertRows({}, at, at);
    m_model.m_table.insertRow(at, std::move(row));
    m_model.endInsertRows();
}

void SearchResultModel::ListAccess::endUpdate() {
    if (m_model.m_updates > 0) --m_model.m_updates;
    if (m_model.m_updates == 0) m_model.flushPending();
}

}  // namespace tapelink
