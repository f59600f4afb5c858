#include "search/ui/CQueryDlg.h"
#include "common/ui/ColumnsInSight.h"
#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QTimer>

#include "common/ui/MessageBoxSink.h"
#include "common/ui/RememberedColumnWidths.h"
#include "search/SearchMessages.h"
#include "search/TeamRecordingPath.h"
#include "search/ui/ArchiveFileChooser.h"
#include "search/ui/SearchDatePicker.h"
#include "search/ui/SearchResultModel.h"

namespace tapelink {

namespace {

SearchDateTime toSearchDate(const QDateTime& value) {
    const QDate date = value.date();
    const QTime time = value.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

constexpr int kNameColumnWidth = 90;
constexpr const char* kSearchListColumns = "search";
// The dialog grows by this many dialog units for the notes' criterion below the original controls.
constexpr int kOriginalHeight = 274;
constexpr int kNoteRowHeight = 20;
constexpr const char* kMsgSelectForNote = "请先选择一条要添加备注的语音！";
constexpr const char* kMsgTeamNotShared = "团队存档中的录音不能在此分享！";
constexpr const char* kMsgTeamNothingFound = "团队存档中未找到任何与查询条件相匹配的语音文件！";
constexpr const char* kMsgTeamRefused = "团队服务器拒绝了此次查询：您没有查看这些录音的权限！";
constexpr const char* kMsgTeamUnreachable = "无法连接团队服务器，请检查网络后重试！";
constexpr const char* kMsgTeamFailed = "团队存档查询失败，请稍后重试！";

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

CQueryDlg::CQueryDlg(QWidget* parent, IMessageSink* messages, IArchiveFileChooser* chooser,
                     std::shared_ptr<IColumnWidthStore> columnWidths)
    : QDialog(parent),
      m_ownSink(messages != nullptr ? nullptr : std::make_unique<MessageBoxSink>(this)),
      m_ownChooser(chooser != nullptr ? nullptr : std::make_unique<ArchiveFileChooser>()),
      m_messages(messages != nullptr ? *messages : *m_ownSink),
      m_chooser(chooser != nullptr ? *chooser : *m_ownChooser),
      m_model(new SearchResultModel(this)),
      m_search(m_model->resultList(), m_messages) {
    setWindowTitle(QStringLiteral("quorvalent Audio 语音查询"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(dialogFont());
    setFixedSize(dialogUnits(599), dialogUnits(kOriginalHeight + kNoteRowHeight));
    buildControls();
    buildNoteControls();
    rememberColumnWidths(*m_list, std::move(columnWidths), kSearchListColumns);
    // Opened wider where the screen has room, so that 姓名 is in sight after 路径; the list takes the
    // extra width and every other control keeps its place.
    if (const int wider = widthToShowAllColumns(*this, *m_list); wider > 0) {
        setFixedSize(width() + wider, height());
        m_list->resize(m_list->width() + wider, m_list->height());
    }
    consumeEnterKeys();
    m_start->setFocus();
}

CQueryDlg::~CQueryDlg() {
    // The worker's rows were to be posted to this dialog; posted events die with it.
    if (m_teamWorker != nullptr) m_teamWorker->wait();
    m_search.ClearRecords();
}

void CQueryDlg::buildControls() {
    // Created in tab order, so the focus chain is the order of the ids.
    const auto makePicker = [this](const char* id, int x) {
        QDateTimeEdit* picker = makeSearchDatePicker(this);
        picker->setObjectName(QString::fromLatin1(id));
        picker->setGeometry(dialogRect(x, 21, 100, 13));
        return picker;
    };
    m_start = makePicker("1044", 57);
    m_start->setDateTime(QDateTime(QDate(2010, 3, 1), QTime(0, 0, 0)));
    m_end = makePicker("1045", 172);
    m_end->setDateTime(QDateTime::currentDateTime());

    m_side = new QComboBox(this);
    m_side->setObjectName(QStringLiteral("1021"));
    m_side->setGeometry(dialogRect(287, 21, 53, 13));
    m_side->addItems({QStringLiteral("全部"), QStringLiteral("主叫"), QStringLiteral("被叫")});
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("1022"));
    m_kind->setGeometry(dialogRect(357, 21, 53, 13));
    m_kind->addItems(
        {QStringLiteral("全部"), QStringLiteral("通话录音"), QStringLiteral("留言录音"), QStringLiteral("本地录音")});

    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("1023"));
    m_number->setGeometry(dialogRect(428, 21, 52, 13));
    m_number->setMaxLength(static_cast<int>(kMaxNumberLength));

    const auto makeButton = [this](const char* id, const char* caption, QRect geometry) {
        auto* button = new QPushButton(QString::fromUtf8(caption), this);
        button->setObjectName(QString::fromLatin1(id));
        button->setGeometry(geometry);
        button->setAutoDefault(false);
        return button;
    };
    m_find = makeButton("1025", "查找", dialogRect(504, 5, 53, 13));
    connect(m_find, &QPushButton::clicked, this, &CQueryDlg::RunSearch);
    connect(makeButton("1037", "导出EXCEL", dialogRect(504, 21, 53, 13)), &QPushButton::clicked, this, [this] {
        // The remarks are read for the export only: a search would spend more on them than on its criteria.
        const std::string folder = m_search.searchFolder();
        withAnnotations(folder,
                        [this, &folder](RecordingAnnotations& annotations) { m_model->annotate(annotations, folder); });
        emit exportRequested();
    });

    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("1026"));
    m_list->setGeometry(dialogRect(57, 44, 542, 229));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setSortingEnabled(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    // Rows of one fixed height let the view lay out tens of thousands of rows at once.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(listRowHeight(font()));
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < static_cast<int>(kSearchColumnCount); ++column) {
        m_list->setColumnWidth(column, searchColumns()[static_cast<std::size_t>(column)].width);
    }
    m_list->setColumnWidth(static_cast<int>(kSearchColumnCount), kNameColumnWidth);

    connect(makeButton("1063", "添加文件", dialogRect(4, 64, 50, 14)), &QPushButton::clicked, this,
            &CQueryDlg::AddFiles);
    connect(makeButton("1064", "添加文件夹", dialogRect(4, 110, 50, 14)), &QPushButton::clicked, this,
            &CQueryDlg::AddFolder);
    connect(makeButton("1065", "删除", dialogRect(4, 199, 50, 14)), &QPushButton::clicked, this,
            &CQueryDlg::RemoveSelectedRows);
    connect(makeButton("1066", "播放", dialogRect(4, 155, 50, 14)), &QPushButton::clicked, this,
            &CQueryDlg::playRequested);

    const auto makeLabel = [this](const char* caption, int x) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->move(dialogUnits(x), dialogUnits(7));
        label->adjustSize();
    };
    makeLabel("起始时间", 90);
    makeLabel("结束时间", 205);
    makeLabel("主/被叫", 299);
    makeLabel("录音类型", 364);
    makeLabel("电话号码", 437);
}

void CQueryDlg::buildNoteControls() {
    // Placed where the original controls leave room, so none of them moves: the button under the
    // left-hand column, the criterion in a row of its own below the list.
    auto* note = new QPushButton(QStringLiteral("备注…"), this);
    note->setObjectName(QStringLiteral("notes"));
    note->setGeometry(dialogRect(4, 244, 50, 14));
    note->setAutoDefault(false);
    connect(note, &QPushButton::clicked, this, &CQueryDlg::EditNote);

    auto* label = new QLabel(QStringLiteral("备注/标签"), this);
    label->move(dialogUnits(57), dialogUnits(kOriginalHeight + 6));
    label->adjustSize();
    m_noteText = new QLineEdit(this);
    m_noteText->setObjectName(QStringLiteral("noteText"));
    m_noteText->setGeometry(dialogRect(100, kOriginalHeight + 4, 180, 13));
    m_noteText->setPlaceholderText(QStringLiteral("备注或标签中含有的文字"));

    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CQueryDlg::showRowMenu);
}

void CQueryDlg::showRowMenu(const QPoint& at) {
    const QModelIndex index = m_list->indexAt(at);
    if (!index.isValid()) return;
    // A right click on a row outside the selection makes that row the selection, as file lists do.
    if (!m_list->selectionModel()->isRowSelected(index.row(), {})) m_list->selectRow(index.row());
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("备注…"), this, &CQueryDlg::EditNote)->setObjectName(QStringLiteral("noteItem"));
    // Queued like 备注…: the share dialog runs its own loop.
    menu->addAction(QStringLiteral("分享…"), this,
                    [this] {
                        // A team result's audio is on the server, not at the path the share would read.
                        for (const int row : selectedRows()) {
                            if (!m_model->row(row).desk.empty()) {
                                m_messages.showMessage(kMsgTeamNotShared);
                                return;
                            }
                        }
                        QTimer::singleShot(0, this, [this] { emit shareRequested(); });
                    })
        ->setObjectName(QStringLiteral("shareItem"));
    menu->popup(m_list->viewport()->mapToGlobal(at));
}

void CQueryDlg::EditNote() {
    const int row = firstSelectedRow();
    if (row < 0) {
        m_messages.showMessage(kMsgSelectForNote);
        return;
    }
    // A team result's note is the server's, kept by desk and content.
    if (const SearchResultRow& result = m_model->row(row); !result.desk.empty()) {
        const QString desk = QString::fromStdString(result.desk);
        const QString sha256 = QString::fromStdString(result.sha256);
        const QString name = QString::fromStdString(result[1]);
        QTimer::singleShot(0, this, [this, desk, sha256, name] { emit teamNoteRequested(desk, sha256, name); });
        return;
    }
    const std::string path = m_model->texts().cellText(row, kPathColumn);
    // Queued: the note dialog runs its own loop, which must not run inside the click or menu that asked.
    const QString target = QFile::decodeName(QByteArray::fromStdString(path));
    QTimer::singleShot(0, this, [this, target] { emit noteRequested(target); });
}

std::vector<SearchResultRow> CQueryDlg::selectedResults() const {
    std::vector<SearchResultRow> rows;
    const IListTexts& texts = m_model->texts();
    for (const int row : selectedRows()) {
        SearchResultRow result;
        for (std::size_t column = 0; column < result.size(); ++column) {
            result[column] = texts.cellText(row, static_cast<int>(column));
        }
        result.name = texts.nameText(row);
        result.remark = texts.remarkText(row);
        rows.push_back(std::move(result));
    }
    return rows;
}

void CQueryDlg::setContactDirectory(std::shared_ptr<const ContactDirectory> directory) {
    m_directory = directory ? directory : std::make_shared<ContactDirectory>();
    m_model->setContactDirectory(std::move(directory));
}

void CQueryDlg::consumeEnterKeys() {
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool CQueryDlg::eventFilter(QObject* watched, QEvent* event) {
    // Enter never presses a button or ends the dialog, whichever control has the focus.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QDialog::eventFilter(watched, event);
}

SearchCriteria CQueryDlg::criteria() const {
    SearchCriteria criteria;
    criteria.from = toSearchDate(m_start->dateTime());
    criteria.to = toSearchDate(m_end->dateTime());
    criteria.side = static_cast<SideChoice>(std::max(0, m_side->currentIndex()));
    criteria.kind = static_cast<KindChoice>(std::max(0, m_kind->currentIndex()));
    criteria.number = m_number->text().toStdString();
    criteria.noteText = m_noteText->text().trimmed().toStdString();
    return criteria;
}

void CQueryDlg::withAnnotations(const std::string& folder, const std::function<void(RecordingAnnotations&)>& run) {
    CatalogueOpening opening;
    if (m_catalogues != nullptr && !folder.empty()) opening = m_catalogues->open(folder, CatalogueAccess::ReadOnly);
    RecordingAnnotations annotations(*m_directory, opening.catalogue.get(), opening.notes.get());
    m_search.setAnnotations(&annotations);
    run(annotations);
    m_search.setAnnotations(nullptr);
}

void CQueryDlg::searchFor(const std::string& folder, const QDate& from, const QDate& to, const QString& number) {
    m_start->setDateTime(QDateTime(from, QTime(0, 0)));
    m_end->setDateTime(QDateTime(to, QTime(23, 59, 59)));
    m_number->setText(number);
    m_search.setSearchFolder(folder);
    RunSearch();
}

void CQueryDlg::setTeamSearch(std::shared_ptr<ITeamSearch> search) {
    m_teamSearch = std::move(search);
    if (!m_teamSearch || m_team != nullptr) return;
    // Under 添加文件夹, where the left-hand column has room: searched instead of the chosen folder. Made
    // only for a team desk, so that the others' dialog and focus chain stay as they were.
    m_team = new QCheckBox(QStringLiteral("团队存档"), this);
    m_team->setObjectName(QStringLiteral("team"));
    m_team->setGeometry(dialogRect(4, 127, 52, 14));
    m_team->installEventFilter(this);
    m_model->showDeskColumn();
    m_list->setColumnWidth(static_cast<int>(kSearchColumnCount) + 1, kNameColumnWidth);
}

void CQueryDlg::runTeamSearch() {
    if (m_teamWorker != nullptr) return;  // one at a time: 查找 is off until it ends
    if (m_start->dateTime() > m_end->dateTime()) {
        m_messages.showMessage(kMsgStartAfterEnd);
        return;
    }
    m_find->setEnabled(false);
    // The server may take its time: the window keeps painting while the worker waits for it.
    m_teamWorker = QThread::create([this, search = m_teamSearch, wanted = criteria()] {
        std::vector<SearchResultRow> rows;
        const TeamSearchOutcome outcome = search->search(wanted, rows);
        QMetaObject::invokeMethod(
            this, [this, outcome, rows = std::move(rows)]() mutable { showTeamRows(outcome, std::move(rows)); },
            Qt::QueuedConnection);
    });
    m_teamWorker->start();
}

void CQueryDlg::showTeamRows(TeamSearchOutcome outcome, std::vector<SearchResultRow> rows) {
    m_teamWorker->wait();
    delete m_teamWorker;
    m_teamWorker = nullptr;
    m_find->setEnabled(true);
    ISearchResultList& list = m_model->resultList();
    list.clearRows();
    switch (outcome) {
        case TeamSearchOutcome::Ok:
            break;
        case TeamSearchOutcome::Refused:
            m_messages.showMessage(kMsgTeamRefused);
            break;
        case TeamSearchOutcome::Unreachable:
            m_messages.showMessage(kMsgTeamUnreachable);
            break;
        case TeamSearchOutcome::Failed:
            m_messages.showMessage(kMsgTeamFailed);
            break;
    }
    if (outcome == TeamSearchOutcome::Ok && rows.empty()) m_messages.showMessage(kMsgTeamNothingFound);
    list.beginUpdate();
    for (SearchResultRow& row : rows) list.insertRow(list.rowCount(), std::move(row));
    list.endUpdate();
    emit teamSearchFinished();
}

void CQueryDlg::RunSearch() {
    if (m_team != nullptr && m_team->isChecked()) {
        runTeamSearch();
        return;
    }
    withAnnotations(m_search.searchFolder(), [this](RecordingAnnotations&) { m_search.RunSearch(criteria()); });
}

void CQueryDlg::AddFiles() {
    const QStringList chosen = m_chooser.chooseRecordingFiles(this);
    if (chosen.isEmpty()) return;
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(chosen.size()));
    for (const QString& path : chosen) paths.push_back(localPath(path));
    m_search.AddFiles(paths);
}

void CQueryDlg::AddFolder() {
    // A cancelled choice leaves no search folder and an empty list.
    const std::optional<QString> folder = m_chooser.chooseFolder(this);
    const std::string chosen = folder ? localPath(*folder) : std::string();
    withAnnotations(chosen, [this, &chosen](RecordingAnnotations&) { m_search.AddFolder(chosen); });
}

std::vector<int> CQueryDlg::selectedRows() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : m_list->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int CQueryDlg::firstSelectedRow() const {
    int first = -1;
    for (const QItemSelectionRange& range : m_list->selectionModel()->selection()) {
        if (first < 0 || range.top() < first) first = range.top();
    }
    return first;
}

void CQueryDlg::RemoveSelectedRows() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        m_messages.showMessage(kMsgSelectToRemove);
        return;
    }
    m_model->removeTableRows(rows);
}

std::string CQueryDlg::GetSelectedPath() const {
    const int row = firstSelectedRow();
    if (row < 0) {
        m_messages.showMessage(kMsgSelectToPlay);
        return {};
    }
    // A team result is fetched from the server by desk and content.
    if (const SearchResultRow& result = m_model->row(row); !result.desk.empty()) {
        return teamRecordingPath(result.desk, result.sha256, result[1]);
    }
    return m_model->texts().cellText(row, kPathColumn);
}

void CQueryDlg::stepSelection(int step) {
    const int from = firstSelectedRow();
    const int count = m_model->rowCount();
    if (from < 0 || count == 0) return;
    const int to = (from + step + count) % count;
    const auto wholeRow = [this](int row) {
        return QItemSelection(m_model->index(row, 0), m_model->index(row, m_model->columnCount() - 1));
    };
    QItemSelectionModel* selection = m_list->selectionModel();
    selection->select(wholeRow(from), QItemSelectionModel::Deselect);
    selection->select(wholeRow(to), QItemSelectionModel::Select);
}

void CQueryDlg::SelectNext() {
    stepSelection(1);
}

void CQueryDlg::SelectPrevious() {
    stepSelection(-1);
}

const IListTexts& CQueryDlg::resultTexts() const {
    return m_model->texts();
}

void CQueryDlg::notifyDeviceArrived() {
    QTimer::singleShot(0, this, &CQueryDlg::deviceArrived);
}

void CQueryDlg::notifyDeviceRemoved() {
    QTimer::singleShot(0, this, &CQueryDlg::deviceRemoved);
}

}  // namespace tapelink
