#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "common/IListTexts.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

// The phone list's rows: the scanned recordings and their eight texts, formatted once when the rows
// arrive so that painting and scrolling only look texts up. Rows are replaced as a whole, which keeps
// a list of ten thousand recordings as quick to show as a short one. A ninth column, "存档", shows what
// the archive holds of each recording, and a tenth, "姓名", the contact each number belongs to; the eight
// list texts other commands read stay as they are.
class PhoneListModel : public QAbstractTableModel, public IListTexts {
    Q_OBJECT
public:
    explicit PhoneListModel(QObject* parent = nullptr);

    void setEntries(std::vector<RecordingEntry> entries);
    // One text per row ("已存档", "同名不同" or empty); a list of another length clears the marks.
    void setArchiveMarks(std::vector<std::string> marks);
    const std::string& archiveMark(int row) const;
    // One contact name per row (empty for a number of no one); a list of another length clears them.
    void setNames(std::vector<std::string> names);
    const std::string& name(int row) const;
    void clear();
    // Removes one row; the rows after it keep their texts, their numbers included.
    void removeEntry(int row);
    const RecordingEntry& entry(int row) const { return m_entries.at(static_cast<std::size_t>(row)); }
    const std::vector<RecordingEntry>& entries() const { return m_entries; }

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // IListTexts
    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    int columnCount() const override { return static_cast<int>(kRecordingColumnCount); }
    std::string columnTitle(int column) const override;
    std::string cellText(int row, int column) const override;

private:
    std::vector<RecordingEntry> m_entries;
    std::vector<RecordingRow> m_rows;
    std::vector<std::string> m_marks;
    std::vector<std::string> m_names;
};

}  // namespace tapelink
