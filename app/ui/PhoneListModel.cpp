#include "app/ui/PhoneListModel.h"

#include "catalogue/ArchiveMarks.h"
#include "phone/PhoneListRow.h"

namespace tapelink {

namespace {

bool validColumn(int column) {
    return column >= 0 && column < static_cast<int>(kRecordingColumnCount);
}

constexpr int kMarkColumn = static_cast<int>(kRecordingColumnCount);
constexpr int kNameColumn = kMarkColumn + 1;
constexpr int kNumberCellColumn = 3;  // 电话号码
constexpr const char* kNameColumnTitle = "姓名";

bool shownColumn(int column) {
    return validColumn(column) || column == kMarkColumn || column == kNameColumn;
}

const std::string& textAt(const std::vector<std::string>& texts, int row) {
    static const std::string kNone;
    return row >= 0 && static_cast<std::size_t>(row) < texts.size() ? texts[static_cast<std::size_t>(row)] : kNone;
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
    m_marks.clear();
    m_names.clear();
    endResetModel();
}

void PhoneListModel::setArchiveMarks(std::vector<std::string> marks) {
    m_marks = marks.size() == m_rows.size() ? std::move(marks) : std::vector<std::string>{};
    if (!m_rows.empty()) emit dataChanged(index(0, kMarkColumn), index(rowCount() - 1, kMarkColumn));
}

const std::string& PhoneListModel::archiveMark(int row) const {
    return textAt(m_marks, row);
}

void PhoneListModel::setNames(std::vector<std::string> names) {
    m_names = names.size() == m_rows.size() ? std::move(names) : std::vector<std::string>{};
    if (!m_rows.empty()) emit dataChanged(index(0, kNameColumn), index(rowCount() - 1, kNameColumn));
}

const std::string& PhoneListModel::name(int row) const {
    return textAt(m_names, row);
}

void PhoneListModel::clear() {
    setEntries({});
}

void PhoneListModel::removeEntry(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows(QModelIndex(), row, row);
    m_entries.erase(m_entries.begin() + row);
    m_rows.erase(m_rows.begin() + row);
    if (static_cast<std::size_t>(row) < m_marks.size()) m_marks.erase(m_marks.begin() + row);
    if (static_cast<std::size_t>(row) < m_names.size()) m_names.erase(m_names.begin() + row);
    endRemoveRows();
}

int PhoneListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount();
}

int PhoneListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kNameColumn + 1;
}

QVariant PhoneListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || !shownColumn(index.column())) return {};
    if (role == Qt::DisplayRole && index.column() == kMarkColumn) {
        return QString::fromStdString(archiveMark(index.row()));
    }
    if (role == Qt::DisplayRole && index.column() == kNameColumn) return QString::fromStdString(name(index.row()));
    // The caller's name beside the number, for a window too narrow to show the name column.
    if (role == Qt::ToolTipRole && index.column() == kNumberCellColumn) {
        const std::string caller = name(index.row());
        return caller.empty() ? QVariant() : QVariant(QString::fromStdString(caller));
    }
    if (role == Qt::DisplayRole) return QString::fromStdString(cellText(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant PhoneListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !shownColumn(section)) return {};
    if (role == Qt::DisplayRole && section == kMarkColumn) return QString::fromUtf8(kArchiveColumnTitle);
    if (role == Qt::DisplayRole && section == kNameColumn) return QString::fromUtf8(kNameColumnTitle);
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
