#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "contacts/ContactDirectory.h"
#include "search/ISearchResultList.h"
#include "search/RecordingAnnotations.h"
#include "search/SearchResultTable.h"

namespace tapelink {

// The search dialog's result rows for its list view. The rows live in a plain table, so the view asks only
// for the cells it paints; rows added in one update reach the view as one insertion. After the nine
// columns of the rows comes "姓名": the contact each row's number belongs to; where the desk is in a team,
// "工位" follows: the desk a team result comes from.
class SearchResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit SearchResultModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // What the search fills, and what the export reads.
    ISearchResultList& resultList() { return m_access; }
    const IListTexts& texts() const { return m_table; }

    // Names rows that arrive without one (files added by hand); null leaves them without.
    void setContactDirectory(std::shared_ptr<const ContactDirectory> directory);
    // Adds the "工位" column after "姓名".
    void showDeskColumn();
    // The team desk and content key of a row; empty for a recording on this disk.
    const SearchResultRow& row(int row) const { return m_table.rows()[static_cast<std::size_t>(row)]; }

    // Fills every row's name and, for the files in archiveFolder, its remark, for the export.
    void annotate(RecordingAnnotations& annotations, const std::string& archiveFolder);

    // Removes the given rows (ascending, no repeats); the others keep their numbers.
    void removeTableRows(const std::vector<int>& ascendingRows);

private:
    class ListAccess : public ISearchResultList {
    public:
        explicit ListAccess(SearchResultModel& model) : m_model(model) {}
        int rowCount() const override;
        void clearRows() override;
        void insertRow(int position, SearchResultRow row) override;
        void beginUpdate() override { ++m_model.m_updates; }
        void endUpdate() override;

    private:
        SearchResultModel& m_model;
    };

    void flushPending();

    SearchResultTable m_table;
    std::shared_ptr<const ContactDirectory> m_directory;
    std::vector<SearchResultRow> m_pending;  // rows appended during an update, not yet shown
    int m_updates = 0;
    bool m_deskColumn = false;
    ListAccess m_access{*this};
};

}  // namespace tapelink
