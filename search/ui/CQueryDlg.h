#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/IArchiveCatalogue.h"
#include "common/IColumnWidthStore.h"
#include "common/IListTexts.h"
#include "common/IMessageSink.h"
#include "contacts/ContactDirectory.h"
#include "playback/ISelectionService.h"
#include "search/ArchiveSearch.h"
#include "search/ITeamSearch.h"
#include "search/ui/IArchiveFileChooser.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QPushButton;
class QTableView;
class QThread;

namespace tapelink {

class SearchResultModel;

// The search dialog (template 134): criteria, the result list and the commands over it. The search itself
// is ArchiveSearch; the player works on the list's selection through ISelectionService.
//
// Controls carry their ids as object names: "1044"/"1045" start/end picker, "1021" side, "1022" kind,
// "1023" number, "1025" 查找, "1037" 导出EXCEL, "1026" result list, "1063" 添加文件, "1064" 添加文件夹,
// "1065" 删除, "1066" 播放; below them "notes" 备注… and "noteText" (the 备注/标签 criterion); "team" 团队存档
// for a desk in a team.
class CQueryDlg : public QDialog, public ISelectionService {
    Q_OBJECT

public:
    // Without a sink or chooser the dialog shows message boxes and the platform's file dialogs; without a
    // width store the result list opens with its default widths and forgets the user's.
    explicit CQueryDlg(QWidget* parent = nullptr, IMessageSink* messages = nullptr,
                       IArchiveFileChooser* chooser = nullptr,
                       std::shared_ptr<IColumnWidthStore> columnWidths = nullptr);
    ~CQueryDlg() override;

    // Selection services for the player. The step operations clear only the first selected row, wrap
    // around at either end and do not scroll the list.
    std::string GetSelectedPath() const override;
    void SelectNext() override;
    void SelectPrevious() override;

    // The selected result rows (ascending), with their names and remarks, for "分享…".
    std::vector<SearchResultRow> selectedResults() const;
    // The result list as text, for the export.
    const IListTexts& resultTexts() const;
    const std::string& searchFolder() const { return m_search.searchFolder(); }
    // Where the "姓名" column's names come from; null shows none.
    void setContactDirectory(std::shared_ptr<const ContactDirectory> directory);
    // Searches folder for number between the two days, the criteria shown in the fields as if typed.
    void searchFor(const std::string& folder, const QDate& from, const QDate& to, const QString& number);
    // Opens the searched folder's catalogue for its notes (read only, nothing is created); null: no notes.
    void setCatalogueOpener(IArchiveCatalogueOpener* opener) { m_catalogues = opener; }
    // The desk's team archive: adds the "团队存档" choice and the "工位" column. Set once, before the
    // dialog is shown; null (no team) adds neither.
    void setTeamSearch(std::shared_ptr<ITeamSearch> search);

public slots:
    void RunSearch();
    void AddFiles();
    void AddFolder();
    void RemoveSelectedRows();
    // 备注…: asks the owner to edit the note of the first selected row's recording.
    void EditNote();
    // Device changes seen while this dialog is in front go on to the owner, posted like the originals.
    void notifyDeviceArrived();
    void notifyDeviceRemoved();

signals:
    void playRequested();                     // 播放: the owner opens the player over this dialog
    void exportRequested();                   // 导出EXCEL: the owner exports resultTexts()
    void noteRequested(const QString& path);  // 备注…: the owner opens the note of this recording
    // 备注… on a team result: the owner opens the note the team archive keeps for it.
    void teamNoteRequested(const QString& desk, const QString& sha256, const QString& fileName);
    void shareRequested();  // 分享…: the owner shares selectedResults()
    void deviceArrived();
    void deviceRemoved();
    void teamSearchFinished();  // a team search's rows are listed, or its failure was shown

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildNoteControls();
    void consumeEnterKeys();
    void showRowMenu(const QPoint& at);
    SearchCriteria criteria() const;
    std::vector<int> selectedRows() const;  // ascending
    int firstSelectedRow() const;           // -1 when none is selected
    void stepSelection(int step);
    // Runs one listing or search with the names and notes of folder's archive at hand.
    void runTeamSearch();
    void showTeamRows(TeamSearchOutcome outcome, std::vector<SearchResultRow> rows);
    void withAnnotations(const std::string& folder, const std::function<void(RecordingAnnotations&)>& run);

    std::unique_ptr<IMessageSink> m_ownSink;
    std::unique_ptr<IArchiveFileChooser> m_ownChooser;
    IMessageSink& m_messages;
    IArchiveFileChooser& m_chooser;
    SearchResultModel* m_model;
    ArchiveSearch m_search;
    std::shared_ptr<const ContactDirectory> m_directory = std::make_shared<ContactDirectory>();
    IArchiveCatalogueOpener* m_catalogues = nullptr;

    QDateTimeEdit* m_start = nullptr;
    QDateTimeEdit* m_end = nullptr;
    QComboBox* m_side = nullptr;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_number = nullptr;
    QLineEdit* m_noteText = nullptr;
    QTableView* m_list = nullptr;
    QPushButton* m_find = nullptr;
    QCheckBox* m_team = nullptr;
    std::shared_ptr<ITeamSearch> m_teamSearch;
    QThread* m_teamWorker = nullptr;  // the team search under way, waited for when the dialog closes
};

}  // namespace tapelink
