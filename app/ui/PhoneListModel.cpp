#include "app/ui/PhoneListModel.h"

#include "phone/PhoneListRow.h"

namespace tapelink {

namespace {

bool validColumn(int column) {
    return column >= 0 && column < static_cast<int>(kRecordingColumnCount);
}

}  // namespace

PhoneListModel::PhoneListModel(QObject* parent) : QAbstractTableModel(parent) {}

void PhoneListModel::setEntries(std::vector<RecordingEntry> entries) {
    std::vector<RecordingRow> rows;
    rows.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) rows.push_back(phoneListRow(entries[i], static_cast<int>(i)));
    beginResetModel();
    m_entries = std::move(entries);
    m_rows = std::move(rows);
    endResetModel();
}

void PhoneListModel::clear() {
    setEntries({});
}

void PhoneListModel::removeEntry(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows(QModelIndex(), row, row);
    m_entries.erase(m_entries.begin() + row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

int PhoneListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount();
}

int PhoneListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount();
}

QVariant PhoneListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || !validColumn(index.column())) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(cellText(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant PhoneListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !validColumn(section)) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(columnTitle(section));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

std::string PhoneListModel::columnTitle(int column) const {
    return validColumn(column) ? recordingColumnTitles()[static_cast<std::size_t>(column)] : std::string();
}

std::string PhoneListModel::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || !validColumn(column)) return {};
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace tapelink
