#include "app/ui/CTapelinkDlg.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <array>

#include "app/ui/AppLook.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/DeviceChangeRouter.h"
#include "app/ui/MainArchiveController.h"
#include "app/ui/MainDialogCommands.h"
#include "app/ui/MainMenus.h"
#include "app/ui/MainUploadController.h"
#include "app/ui/PhoneListModel.h"
#include "app/ui/TeamPhonebookSyncer.h"
#include "archive/ArchiveOnPhone.h"
#include "catalogue/ArchiveMarks.h"
#include "common/ui/ColumnsInSight.h"
#include "common/ui/DialogFont.h"
#include "common/ui/RememberedColumnWidths.h"
#include "phone/DeviceStatus.h"
#include "phone/ui/PhoneListingJob.h"
#include "retention/ui/RetentionRuleBox.h"
#include "settings/ArchivePreferences.h"
#include "settings/ProfileFolder.h"

// The progress layout's trace, off unless asked for (QT_LOGGING_RULES="tapelink.layout.debug=true").
Q_LOGGING_CATEGORY(layoutTrace, "tapelink.layout", QtInfoMsg)

namespace tapelink {

namespace {

constexpr std::array<int, kRecordingColumnCount> kColumnWidths = {60, 100, 90, 110, 80, 150, 180, 180};
constexpr int kNameColumnWidth = 100;
const QColor kBackground(127, 127, 200);
constexpr int kStopRightMargin = 10;
constexpr int kBarLeft = 5;
constexpr int kBarGap = 5;
constexpr int kBarTopOffset = 2;
constexpr int kBarHeight = 15;
constexpr int kCellPadding = 16;
constexpr const char* kMainListColumns = "main";
constexpr const char* kUploadFolderTooLong = "所选文件夹的路径太长（最多259个字节），请选择其他文件夹！";

}  // namespace

CTapelinkDlg::CTapelinkDlg(SettingsStore& settingsStore, const IDeviceLocator& locator, IMessageSink& messages,
                           FolderChooser chooseFolder, MainWindowServices services, QWidget* parent)
    : QDialog(parent),
      m_settingsStore(settingsStore),
      m_locator(locator),
      m_messages(messages),
      m_chooseFolder(std::move(chooseFolder)),
      m_services(std::move(services)),
      m_statusText(kStatusPrefix) {
    setObjectName(QStringLiteral("102"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setFont(dialogFont());
    setWindowIcon(appIcon());

    MainMenus menus = buildMainMenus(this);
    m_menuBar = menus.bar;
    m_listPopup = menus.listPopup;
    m_actions = std::move(menus.actions);
    for (const auto& [id, action] : m_actions) {
        connect(action, &QAction::triggered, this, [this, id = id] { runCommand(id); });
    }

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QString::number(cmd::kProgressBar));
    m_progressBar->setTextVisible(false);
    m_progressBar->setValue(0);
    m_progressBar->hide();

    m_stopButton = new QPushButton(QStringLiteral("停止上传(&P)"), this);
    m_stopButton->setObjectName(QString::number(cmd::kStopButton));
    m_stopButton->setAutoDefault(false);
    m_stopButton->resize(dialogUnitsToPixels(font(), 50, 14).expandedTo(m_stopButton->sizeHint()));
    m_stopButton->hide();
    connect(m_stopButton, &QPushButton::clicked, this, &CTapelinkDlg::onStopClicked);

    m_settingsCopy = m_settingsStore.GetRecord();

    m_model = new PhoneListModel(this);
    auto* list = new QTableView(this);
    list->setObjectName(QString::number(cmd::kPhoneList));
    list->setModel(m_model);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->verticalHeader()->hide();
    // Fixed row heights let the view place any row without measuring the others.
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(listRowHeight(font()));
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setHighlightSections(false);
    for (std::size_t i = 0; i < kColumnWidths.size(); ++i) {
        list->horizontalHeader()->resizeSection(static_cast<int>(i), kColumnWidths[i]);
    }
    // The ninth column just wide enough for its longest text.
    const int markWidth = std::max(
        list->fontMetrics().horizontalAdvance(QString::fromUtf8(archiveMarkText(ArchiveMark::SameNameDifferent))),
        list->fontMetrics().horizontalAdvance(QString::fromUtf8(kArchiveColumnTitle)));
    list->horizontalHeader()->resizeSection(static_cast<int>(kColumnWidths.size()), markWidth + kCellPadding);
    list->horizontalHeader()->resizeSection(static_cast<int>(kColumnWidths.size()) + 1, kNameColumnWidth);
    // archive.ini and columns.ini beside config.ini: the fixed-size record has no room for them.
    const std::string settingsPath = m_settingsStore.path();
    const std::size_t slash = settingsPath.rfind('/');
    const std::string profileFolder = slash == std::string::npos ? profileFolderPath() : settingsPath.substr(0, slash);
    m_columnWidths->Load(columnWidthsFilePath(profileFolder));
    rememberColumnWidths(*list, m_columnWidths, kMainListColumns);
    connect(list, &QWidget::customContextMenuRequested, this, [this] { m_listPopup->popup(QCursor::pos()); });
    m_list = list;

    m_deviceChanges = new DeviceChangeRouter({[this] { onDeviceArrival(); }, [this] { onDeviceRemoval(); }}, this);
    m_uploads = new MainUploadController(*this, m_services);
    connect(m_uploads, &MainUploadController::workerEnded, this, &CTapelinkDlg::onUploadWorkerEnded);
    m_commands = new MainDialogCommands(*this, *m_deviceChanges, m_services);
    connect(this, &CTapelinkDlg::commandTriggered, this, &CTapelinkDlg::dispatchCommand);
    m_archive = new MainArchiveController(static_cast<IArchiveWindow&>(*this), m_services,
                                          archivePreferencesPath(profileFolder), this);
    connect(m_archive, &MainArchiveController::workerEnded, this, [this] {
        if (!m_pendingClose || m_uploads->isRunning()) return;
        const int result = *m_pendingClose;
        m_pendingClose.reset();
        QDialog::done(result);
    });

    if (m_services.openTeamPhonebook) {
        // The team's names reach the lists once the exchange brought any; an offline desk keeps its own.
        m_teamPhonebook = new TeamPhonebookSyncer(m_archive->catalogueOpener(), m_services.openTeamPhonebook, this);
        connect(m_teamPhonebook, &TeamPhonebookSyncer::finished, this,
                [this](const PhonebookSyncReport& report, bool told) {
                    if (report.toDesk.added + report.toDesk.updated > 0) m_archive->contactsChanged();
                    const std::string failure = TeamPhonebookSyncer::failureText(report);
                    if (told && !failure.empty()) m_messages.showMessage(failure, MessageIcon::Warning);
                });
    }

    m_listing = new PhoneListingJob(m_services.scanPhone, this);
    connect(m_listing, &PhoneListingJob::listed, this, &CTapelinkDlg::onListed);

    m_driveRoot = m_locator.FindPhoneDrive();
    if (!m_driveRoot.empty()) {
        scanPhone(false);
    } else {
        setStatusText(kStatusDisconnected);
    }
    // A folder on the telephone gets no catalogue there, and so no phonebook to exchange.
    if (m_teamPhonebook != nullptr && !folderOnPhone(m_settingsCopy.uploadFolder(), false))
        m_teamPhonebook->sync(m_settingsCopy.uploadFolder(), false);

    resize(dialogUnitsToPixels(font(), 629, 312));
    relayout();
    // Opened wider where the screen has room, so that 存档 and 姓名 are in sight beside the eight
    // columns, which keep their widths.
    if (const int wider = widthToShowAllColumns(*this, *m_list); wider > 0) {
        resize(width() + wider, height());
        relayout();
    }
}

CTapelinkDlg::~CTapelinkDlg() {
    // The workers are stopped and joined while the window they report to is still whole.
    delete m_teamPhonebook;
    delete m_archive;
    delete m_uploads;
    delete m_commands;
    delete m_listing;
}

void CTapelinkDlg::setStatusText(const std::string& statusText) {
    m_statusText = statusText;
    setWindowTitle(QString::fromStdString(mainCaption(m_statusText)));
    emit statusTextChanged(QString::fromStdString(m_statusText));
}

const IListTexts& CTapelinkDlg::listTexts() const {
    return *m_model;
}

std::vector<int> CTapelinkDlg::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CTapelinkDlg::listingPending() const {
    return m_listing->isPending();
}

void CTapelinkDlg::setProgressAreaShown(bool shown) {
    m_progressAreaShown = shown;
    relayout();
}

QRect CTapelinkDlg::clientRect() const {
    const int top = m_menuBar->sizeHint().height();
    return QRect(0, top, width(), std::max(0, height() - top));
}

bool CTapelinkDlg::pickUploadFolder() {
    // The archive's rule is chosen with its folder; the box comes back once the chooser has closed.
    auto* rule = new RetentionRuleBox(m_archive->preferences().keepArchiveDays);
    const QPointer<RetentionRuleBox> ruleBack(rule);
    const QString chosen =
        m_chooseFolder(this, QStringLiteral("Pick a Directory"),
                       QFile::decodeName(QByteArray::fromStdString(m_settingsCopy.uploadFolder())), rule);
    const std::optional<int> keepDays = ruleBack ? ruleBack->keepDays() : m_archive->preferences().keepArchiveDays;
    delete ruleBack.data();
    if (chosen.isEmpty()) return false;
    m_archive->setKeepArchiveDays(keepDays);
    const std::string folder = QFile::encodeName(QDir::cleanPath(chosen)).toStdString();
    if (folderOnPhone(folder, true)) return false;
    SettingsRecord updated = m_settingsCopy;
    if (!updated.setUploadFolder(folder)) {
        m_messages.showMessage(kUploadFolderTooLong, MessageIcon::Warning);
        return false;
    }
    m_settingsCopy = updated;
    m_settingsStore.SetRecord(m_settingsCopy);
    m_settingsStore.Save();
    m_uploadFolderConfirmed = true;
    m_archive->listChanged();
    if (m_teamPhonebook != nullptr) m_teamPhonebook->sync(folder, false);
    return true;
}

bool CTapelinkDlg::folderOnPhone(const std::string& folder, bool tell) {
    if (m_driveRoot.empty() || folder.empty() || archivePlace(m_driveRoot, folder) != ArchivePlace::OnPhone)
        return false;
    if (tell) m_messages.showMessage(archiveOnPhoneText(folder), MessageIcon::Stop);
    return true;
}

QAction* CTapelinkDlg::action(int id) const {
    const auto found = m_actions.find(id);
    return found != m_actions.end() ? found->second : nullptr;
}

void CTapelinkDlg::onDeviceArrival() {
    if (!m_driveRoot.empty()) return;
    m_driveRoot = m_locator.FindPhoneDrive();
    if (m_driveRoot.empty()) return;
    scanPhone(true);
}

void CTapelinkDlg::onDeviceRemoval() {
    if (m_driveRoot.empty()) return;
    if (m_locator.FindPhoneDrive() == m_driveRoot) return;
    m_driveRoot.clear();
    // A listing of the telephone that went is not shown.
    m_listing->cancel();
    m_arrivalListing = false;
    m_model->clear();
    setStatusText(kStatusDisconnected);
}

void CTapelinkDlg::onPhoneRescan() {
    // An empty root would make the scan read the working folder as if it were a telephone.
    if (m_driveRoot.empty()) return;
    scanPhone(false);
}

void CTapelinkDlg::resizeEvent(QResizeEvent* event) {
    relayout();
    QDialog::resizeEvent(event);
}

void CTapelinkDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    QDialog::paintEvent(event);
}

void CTapelinkDlg::keyPressEvent(QKeyEvent* event) {
    // Esc would reject the dialog and so end the program.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CTapelinkDlg::runCommand(int id) {
    if (id == cmd::kExit) {
        accept();
        return;
    }
    // Nothing acts on a list that is about to be replaced.
    if (m_uploadRunning || m_listing->isPending()) return;
    switch (id) {
        case cmd::kUploadFolder:
        case cmd::kPopupUploadFolder:
            pickUploadFolder();
            break;
        case cmd::kAbout: {
            CAboutDlg about(this);
            about.exec();
            break;
        }
        default:
            emit commandTriggered(id);
            break;
    }
}

void CTapelinkDlg::dispatchCommand(int id) {
    if (!m_uploads->runCommand(id) && !m_archive->runCommand(id)) m_commands->runCommand(id);
}

void CTapelinkDlg::done(int result) {
    // A closed window shows no listing; the scan itself ends on its own and is waited for with the window.
    if (m_listing != nullptr) m_listing->cancel();
    // No thread is killed: the worker is asked to stop and the window waits for its end.
    if (m_uploads != nullptr && m_uploads->isRunning()) {
        m_pendingClose = result;
        m_uploads->terminate();
        return;
    }
    if (m_archive != nullptr && m_archive->isRunning()) {
        m_pendingClose = result;
        m_archive->terminate();
        return;
    }
    QDialog::done(result);
}

void CTapelinkDlg::onUploadWorkerEnded() {
    if (!m_pendingClose) {
        m_archive->listChanged();  // the upload's copies get their marks
        return;
    }
    const int result = *m_pendingClose;
    m_pendingClose.reset();
    QDialog::done(result);
}

void CTapelinkDlg::scanPhone(bool arrival) {
    m_arrivalListing = m_arrivalListing || arrival;
    // The rows shown stay until the new ones are there; the caption says they are being read.
    setStatusText(kStatusReading);
    m_listing->start(m_driveRoot, m_phoneIndex);
}

void CTapelinkDlg::onListed(const PhoneListing& listing) {
    const bool arrival = m_arrivalListing;
    m_arrivalListing = false;
    const std::vector<std::pair<std::string, MessageIcon>> texts = listing.messages;
    m_phoneIndex = listing.header;
    m_model->setEntries(listing.entries);
    if (m_archive != nullptr) m_archive->listChanged();
    setStatusText(kStatusConnected);
    emit listingShown();
    for (const auto& [text, icon] : texts) m_messages.showMessage(text, icon);
    // A message box lets other events run: the telephone may have gone, or be read again, meanwhile.
    if (arrival && !m_driveRoot.empty() && !m_listing->isPending()) m_archive->phoneArrived();
}

void CTapelinkDlg::relayout() {
    if (m_list == nullptr) return;
    m_menuBar->setGeometry(0, 0, width(), m_menuBar->sizeHint().height());
    const QRect client = clientRect();
    QRect listRect = client;
    if (m_progressAreaShown) {
        const QSize button = m_stopButton->size();
        const QRect stop(client.right() + 1 - button.width() - kStopRightMargin, client.bottom() + 1 - button.height(),
                         button.width(), button.height());
        const int barTop = client.bottom() + 1 - button.height() + kBarTopOffset;
        const QRect bar(client.left() + kBarLeft, barTop, stop.left() - kBarGap - (client.left() + kBarLeft),
                        kBarHeight);
        m_stopButton->setGeometry(stop);
        m_progressBar->setGeometry(bar);
        m_stopButton->show();
        m_progressBar->show();
        const QRect inClient = bar.translated(-client.topLeft());
        qCDebug(layoutTrace, "process pos = %d, %d, %d, %d", inClient.left(), inClient.top(),
                inClient.left() + inClient.width(), inClient.top() + inClient.height());
        listRect.setHeight(std::max(0, client.height() - button.height()));
    } else {
        m_progressBar->hide();
        m_stopButton->hide();
    }
    m_list->setGeometry(listRect);
    update();
}

void CTapelinkDlg::onStopClicked() {
    emit stopRequested();
    if (m_archive->isRunning()) {
        m_archive->requestStop();
        return;
    }
    // Without a worker this hides the progress area that a start without a thread left shown.
    m_uploads->requestStop();
}

}  // namespace tapelink
