#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "app/ui/AppLook.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/PhoneListModel.h"
#include "common/ui/DialogFont.h"
#include "phone/CatalogueScan.h"
#include "phone/DeviceStatus.h"
#include "phone/PhoneListRow.h"
#include "settings/SettingsStore.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/gui/ModalDriver.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

QString caption(const char* status) {
    return QString::fromStdString(mainCaption(status));
}

// A telephone whose catalogue can't be read until the test lets it: each scan waits at the gate (at most
// ten seconds, so that a window reading on its own thread shows up as a failure, not a hang).
class ScanGate {
public:
    PhoneListingJob::Scan scan() {
        return [this](const std::string& root, PhoneIndexHeader& header, ICatalogueView& view, IMessageSink& sink) {
            std::unique_lock lock(m_mutex);
            ++m_waiting;
            m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
            --m_waiting;
            lock.unlock();
            return ScanCatalogue(root, header, view, sink);
        };
    }
    void open() {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    bool waiting() {
        std::lock_guard lock(m_mutex);
        return m_waiting > 0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_waiting = 0;
};

struct ChooserCall {
    QString title;
    QString start;
};

}  // namespace

class CTapelinkDlgTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_folder;
    SettingsStore m_settings;
    FakeLocator m_locator;
    RecordingMessages m_messages;
    QString m_chosen;
    std::vector<ChooserCall> m_chooserCalls;
    int m_spreadsheets = 0;

    std::string phoneRoot() const { return m_folder->path() + "phone/"; }
    std::string configPath() const { return m_folder->path() + "config.ini"; }

    // With a scan given, the window is returned while its first listing may still run.
    std::unique_ptr<CTapelinkDlg> makeWindow(PhoneListingJob::Scan scan = {}) {
        auto chooser = [this](QWidget*, const QString& title, const QString& start, QWidget*) {
            m_chooserCalls.push_back({title, start});
            return m_chosen;
        };
        // No prompt, dialog or spreadsheet application of the desktop.
        MainWindowServices services = servicesWithCatalogues();
        services.askCategory = [](CategoryCriteria&, QWidget*) { return std::optional<CategoryChoice>(); };
        services.askOverwrite = [](const QString&, QWidget*) { return OverwriteDecision::No; };
        services.makeSpreadsheet = [this]() -> std::unique_ptr<ISpreadsheet> {
            ++m_spreadsheets;
            return std::make_unique<RecordingSpreadsheet>();
        };
        if (scan) {
            services.scanPhone = std::move(scan);
            return std::make_unique<CTapelinkDlg>(m_settings, m_locator, m_messages, chooser, services);
        }
        auto window = std::make_unique<CTapelinkDlg>(m_settings, m_locator, m_messages, chooser, services);
        if (!waitForListing(*window)) qWarning("the first listing never came");
        return window;
    }

private slots:
    void init() {
        m_folder = std::make_unique<TempFolder>();
        m_settings = SettingsStore();
        m_settings.Load(configPath());
        m_locator = FakeLocator();
        m_messages = RecordingMessages();
        m_chosen.clear();
        m_chooserCalls.clear();
        m_spreadsheets = 0;
    }

    void captionFollowsTheTelephone() {
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), caption(kStatusDisconnected));
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Quorvalent audio Velmo录音电话软件    设备状态：录音电话未连接"));

        buildPhone(phoneRoot(), 3);
        m_locator.root = phoneRoot();
        QSignalSpy statuses(window.get(), &CTapelinkDlg::statusTextChanged);
        window->onDeviceArrival();
        QVERIFY(waitForListing(*window));
        // The reading status is shown while the catalogue is read, then the connected one.
        QCOMPARE(statuses.size(), 2);
        QCOMPARE(statuses[0][0].toString(), QString::fromUtf8(kStatusReading));
        QCOMPARE(window->windowTitle(), caption(kStatusConnected));

        window->setStatusText(std::string(kStatusUploadingPrefix) + "VOA00001.WAV");
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Quorvalent audio Velmo录音电话软件    设备状态：正在上传文件 VOA00001.WAV"));

        m_locator.root.clear();
        window->onDeviceRemoval();
        QCOMPARE(window->windowTitle(), caption(kStatusDisconnected));
    }

    void opensOnAnAttachedTelephone() {
        buildPhone(phoneRoot(), 4);
        m_locator.root = phoneRoot();
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), caption(kStatusConnected));
        QCOMPARE(window->driveRoot(), phoneRoot());
        QCOMPARE(window->listView()->model()->rowCount(), 4);
        QCOMPARE(window->phoneIndex().recordingCount(), 4);
        QCOMPARE(window->phoneIndex().nextSerial(), 5);
        QVERIFY(!window->progressBar()->isVisibleTo(window.get()));
        QVERIFY(!window->stopButton()->isVisibleTo(window.get()));
    }

    void theWindowAnswersWhileTheTelephoneIsRead() {
        buildPhone(phoneRoot(), 3);
        m_locator.root = phoneRoot();
        ScanGate gate;
        auto window = makeWindow(gate.scan());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(gate.waiting());
        QVERIFY(window->listingPending());
        QCOMPARE(window->windowTitle(), caption(kStatusReading));
        QCOMPARE(window->listTexts().rowCount(), 0);
        // Nothing acts on the list until it is there; "退出" stays the only exception.
        QSignalSpy commands(window.get(), &CTapelinkDlg::commandTriggered);
        window->action(cmd::kDeletePermanently)->trigger();
        window->action(cmd::kUploadAll)->trigger();
        QCOMPARE(commands.size(), 0);

        gate.open();
        QVERIFY(waitForListing(*window));
        QCOMPARE(window->listTexts().rowCount(), 3);
        QCOMPARE(window->phoneIndex().recordingCount(), 3);
        QCOMPARE(window->windowTitle(), caption(kStatusConnected));
    }

    void aListingOvertakenIsNeverShown() {
        buildPhone(phoneRoot(), 2);
        m_locator.root = phoneRoot();
        ScanGate gate;
        auto window = makeWindow(gate.scan());
        QTRY_VERIFY(gate.waiting());
        // The telephone goes while it is read, and another one arrives.
        m_locator.root.clear();
        window->onDeviceRemoval();
        QCOMPARE(window->windowTitle(), caption(kStatusDisconnected));
        const std::string other = m_folder->path() + "other/";
        buildPhone(other, 4, 40);
        m_locator.root = other;
        window->onDeviceArrival();
        QSignalSpy shown(window.get(), &CTapelinkDlg::listingShown);

        gate.open();
        QVERIFY(waitForListing(*window));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(window->listTexts().rowCount(), 4);
        QCOMPARE(window->phoneIndex().nextSerial(), 44);
        QCOMPARE(window->driveRoot(), other);
    }

    void closingWhileTheTelephoneIsReadNeitherHangsNorShowsIt() {
        buildPhone(phoneRoot(), 2);
        m_locator.root = phoneRoot();
        ScanGate gate;
        auto window = makeWindow(gate.scan());
        window->show();
        QTRY_VERIFY(gate.waiting());
        window->action(cmd::kExit)->trigger();
        QVERIFY(!window->isVisible());
        QSignalSpy shown(window.get(), &CTapelinkDlg::listingShown);
        gate.open();
        QTRY_VERIFY(!gate.waiting());
        QTest::qWait(100);
        QCOMPARE(shown.size(), 0);
        QCOMPARE(window->listTexts().rowCount(), 0);

        // Destroyed while the scan still runs: the window waits for it and nothing reaches what is gone.
        ScanGate second;
        window = makeWindow(second.scan());
        QTRY_VERIFY(second.waiting());
        std::thread releaser([&second] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            second.open();
        });
        window.reset();
        releaser.join();
        QTest::qWait(20);
        QVERIFY(m_messages.texts.empty());
    }

    void phoneListColumnsAndTexts() {
        buildPhone(phoneRoot(), 3);
        m_locator.root = phoneRoot();
        auto window = makeWindow();
        QTableView* list = window->findChild<QTableView*>(QStringLiteral("1003"));
        QVERIFY(list == window->listView());
        const QStringList titles = {"序号",    "文件名",   "录音类型", "电话号码",
                                    "主/被叫", "开始时间", "录音时长", "文件长度"};
        const int widths[] = {60, 100, 90, 110, 80, 150, 180, 180};
        // The archive's "存档" column follows the eight, then "姓名"; the whole mark is visible.
        QCOMPARE(list->model()->columnCount(), 10);
        QCOMPARE(list->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("姓名"));
        QCOMPARE(list->model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("存档"));
        QVERIFY(list->horizontalHeader()->sectionSize(8) >
                list->fontMetrics().horizontalAdvance(QStringLiteral("同名不同")));
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
            QCOMPARE(list->horizontalHeader()->sectionSize(column), widths[column]);
            QCOMPARE(list->model()->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                     Qt::AlignLeft | Qt::AlignVCenter);
        }
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);

        const IListTexts& texts = window->listTexts();
        QCOMPARE(texts.rowCount(), 3);
        const RecordingRow expected = phoneListRow(window->phoneList().entry(1), 1);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(texts.cellText(1, column), expected[static_cast<std::size_t>(column)]);
            QCOMPARE(list->model()->index(1, column).data().toString(),
                     QString::fromStdString(expected[static_cast<std::size_t>(column)]));
        }
        QCOMPARE(texts.cellText(1, 0), std::string("2"));
        QCOMPARE(texts.cellText(3, 0), std::string());
    }

    void draggedColumnWidthsComeBackNextStart() {
        buildPhone(phoneRoot(), 2);
        m_locator.root = phoneRoot();
        const int dragged = 3;
        int draggedWidth = 0;
        {
            auto window = makeWindow();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QHeaderView* header = window->listView()->horizontalHeader();
            const int before = header->sectionSize(dragged);
            // The user drags the right edge of 电话号码 40 pixels to the right.
            const int edge = header->sectionViewportPosition(dragged) + before - 1;
            const int y = header->height() / 2;
            QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
            QTest::mouseMove(header->viewport(), QPoint(edge + 20, y));
            QTest::mouseMove(header->viewport(), QPoint(edge + 40, y));
            QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
            draggedWidth = header->sectionSize(dragged);
            QCOMPARE(draggedWidth, before + 40);
        }
        // config.ini keeps its fixed record; the widths have a file of their own.
        QVERIFY(!VolumeBuilder::readBytes(m_folder->path() + "columns.ini").empty());
        {
            auto window = makeWindow();
            QHeaderView* header = window->listView()->horizontalHeader();
            QCOMPARE(header->sectionSize(dragged), draggedWidth);
            QCOMPARE(header->sectionSize(0), 60);
        }
        // A damaged file is passed over: the default widths.
        const std::string damaged = "main=60,100,90,170x,80\n\xff=1\n";
        VolumeBuilder::writeBytes(m_folder->path() + "columns.ini", {damaged.begin(), damaged.end()});
        auto window = makeWindow();
        QCOMPARE(window->listView()->horizontalHeader()->sectionSize(dragged), 110);
    }

    void selectedRowsAreAscending() {
        buildPhone(phoneRoot(), 12);
        m_locator.root = phoneRoot();
        auto window = makeWindow();
        QItemSelectionModel* selection = window->listView()->selectionModel();
        const auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        for (int row : {9, 2, 5}) selection->select(window->listView()->model()->index(row, 3), flags);
        QCOMPARE(window->selectedRows(), (std::vector<int>{2, 5, 9}));
    }

    void menusCarryTheirTextsAndIds() {
        auto window = makeWindow();
        QMenuBar* bar = window->findChild<QMenuBar*>(QStringLiteral("130"));
        QVERIFY(bar != nullptr);
        const QList<QAction*> top = bar->actions();
        QStringList topTexts;
        for (QAction* action : top) topTexts << action->text();
        // "联系人…" follows "文件查询", and "统计" follows it.
        QCOMPARE(topTexts,
                 (QStringList{"文件上传", "文件查询", "联系人…", "统计", "导出EXCEL", "回收站", "帮助", "退出"}));
        QCOMPARE(top[1]->data().toInt(), 32771);
        QCOMPARE(top[2]->data().toInt(), 32803);
        QCOMPARE(top[3]->data().toInt(), 32806);
        QCOMPARE(top[4]->data().toInt(), 32773);
        QCOMPARE(top[5]->data().toInt(), 32777);
        QCOMPARE(top[7]->data().toInt(), 32772);

        auto checkPopup = [](QMenu* menu, const std::vector<int>& ids, const QStringList& texts) {
            QVERIFY(menu != nullptr);
            const QList<QAction*> items = menu->actions();
            QCOMPARE(static_cast<std::size_t>(items.size()), ids.size());
            for (int i = 0; i < items.size(); ++i) {
                QCOMPARE(items[i]->text(), texts[i]);
                QCOMPARE(items[i]->data().toInt(), ids[static_cast<std::size_t>(i)]);
                QCOMPARE(items[i]->objectName(), QString::number(ids[static_cast<std::size_t>(i)]));
            }
        };
        const QStringList uploadTexts = {"上传路径", "选择上传", "分类上传", "全部上传", "永久删除"};
        // The archive's items follow the upload items in the menu bar only.
        checkPopup(top[0]->menu(), {32789, 32790, 32791, 32792, 32793, 32799, 32800, 32801, 32802, 32805, 32807, 32808},
                   uploadTexts + QStringList{"上传新录音", "插入电话机时自动上传新录音", "校验存档", "删除已存档录音",
                                             "压缩存档…", "已过期的录音…", "移出过期录音…"});
        QVERIFY(window->action(32800)->isCheckable());
        checkPopup(top[6]->menu(), {32776}, {"关于系统"});
        QMenu* popup = window->findChild<QMenu*>(QStringLiteral("145"));
        QCOMPARE(popup, window->listPopup());
        // 分享… follows the pop-up's own items.
        checkPopup(popup, {32794, 32795, 32796, 32797, 32798, 32804}, uploadTexts + QStringList{"分享…"});

        for (int id : {32789, 32790, 32791, 32792, 32793, 32771, 32806, 32773, 32777, 32776, 32772, 32794, 32798}) {
            QVERIFY2(window->action(id) != nullptr, qPrintable(QString::number(id)));
            QCOMPARE(window->findChild<QAction*>(QString::number(id)), window->action(id));
        }
        QVERIFY(window->action(1234) == nullptr);
    }

    void rightClickOnTheListShowsThePopup() {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        emit window->listView()->customContextMenuRequested(QPoint(20, 20));
        QTRY_VERIFY(window->listPopup()->isVisible());
        window->listPopup()->hide();
    }

    void commandsReachTheirHandlersUnlessAnUploadRuns() {
        auto window = makeWindow();
        QSignalSpy commands(window.get(), &CTapelinkDlg::commandTriggered);
        const std::vector<int> forwarded = {32790, 32791, 32792, 32793, 32795, 32796,
                                            32797, 32798, 32771, 32773, 32777};
        int dialogs = 0;
        QPointer<QTimer> closer = closeEveryModal(dialogs);
        for (int id : forwarded) window->action(id)->trigger();
        QCOMPARE(static_cast<std::size_t>(commands.size()), forwarded.size());
        for (std::size_t i = 0; i < forwarded.size(); ++i)
            QCOMPARE(commands[static_cast<int>(i)][0].toInt(), forwarded[i]);
        // The search dialog and the recycle bin were opened, the list exported; the uploads and the delete
        // found no telephone or no selection.
        QCOMPARE(dialogs, 2);
        QCOMPARE(m_spreadsheets, 1);
        QCOMPARE(m_messages.texts.size(), std::size_t(6));

        commands.clear();
        window->show();
        window->setUploadRunning(true);
        m_chosen = QString::fromStdString(m_folder->path());
        for (int id : forwarded) window->action(id)->trigger();
        for (int id : {32789, 32794, 32776}) window->action(id)->trigger();
        QCOMPARE(commands.size(), 0);
        QCOMPARE(dialogs, 2);
        QCOMPARE(m_spreadsheets, 1);
        delete closer.data();
        QVERIFY(m_chooserCalls.empty());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(window->isVisible());

        // "退出" is never refused.
        window->action(cmd::kExit)->trigger();
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
    }

    void escapeNeverClosesTheWindow() {
        buildPhone(phoneRoot(), 2);
        m_locator.root = phoneRoot();
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        window->listView()->setFocus();
        QTest::keyClick(window->listView(), Qt::Key_Escape);
        QVERIFY(window->isVisible());

        // The close box closes it.
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
    }

    void arrivalAndRemovalFollowTheRules() {
        auto window = makeWindow();
        QCOMPARE(m_locator.calls, 1);

        // Another device arrives while no telephone is known: asked, nothing found.
        window->onDeviceArrival();
        QCOMPARE(m_locator.calls, 2);
        QVERIFY(window->driveRoot().empty());
        QCOMPARE(window->listTexts().rowCount(), 0);

        buildPhone(phoneRoot(), 3);
        m_locator.root = phoneRoot();
        window->onDeviceArrival();
        QCOMPARE(window->driveRoot(), phoneRoot());
        QVERIFY(waitForListing(*window));
        QCOMPARE(window->listTexts().rowCount(), 3);
        QCOMPARE(window->phoneIndex().recordingCount(), 3);

        // The same arrival again, or another device arriving: nothing is read again.
        buildPhone(phoneRoot(), 5);
        QSignalSpy statuses(window.get(), &CTapelinkDlg::statusTextChanged);
        const int asked = m_locator.calls;
        window->onDeviceArrival();
        window->onDeviceArrival();
        QCOMPARE(m_locator.calls, asked);
        QCOMPARE(window->listTexts().rowCount(), 3);
        QCOMPARE(statuses.size(), 0);

        // Another device goes while the telephone stays: the list is kept.
        window->onDeviceRemoval();
        QCOMPARE(m_locator.calls, asked + 1);
        QCOMPARE(window->listTexts().rowCount(), 3);
        QCOMPARE(statuses.size(), 0);

        // The telephone goes; the notification delivered twice changes nothing more.
        m_locator.root.clear();
        window->onDeviceRemoval();
        QVERIFY(window->driveRoot().empty());
        QCOMPARE(window->listTexts().rowCount(), 0);
        QCOMPARE(window->windowTitle(), caption(kStatusDisconnected));
        const int afterRemoval = m_locator.calls;
        window->onDeviceRemoval();
        QCOMPARE(m_locator.calls, afterRemoval);
        QCOMPARE(statuses.size(), 1);

        // A telephone on another drive is picked up at the next arrival.
        const std::string other = m_folder->path() + "other/";
        buildPhone(other, 2, 40);
        m_locator.root = other;
        window->onDeviceArrival();
        QCOMPARE(window->driveRoot(), other);
        QVERIFY(waitForListing(*window));
        QCOMPARE(window->listTexts().rowCount(), 2);
        std::vector<std::string> names = {window->listTexts().cellText(0, 1), window->listTexts().cellText(1, 1)};
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::string>{"VOA00040.WAV", "VOA00041.WAV"}));
        QCOMPARE(window->phoneIndex().nextSerial(), 42);
    }

    void removalOfTheTelephoneMovedToAnotherDriveEmptiesTheList() {
        buildPhone(phoneRoot(), 2);
        m_locator.root = phoneRoot();
        auto window = makeWindow();
        const std::string other = m_folder->path() + "other/";
        buildPhone(other, 1);
        m_locator.root = other;
        window->onDeviceRemoval();
        QVERIFY(window->driveRoot().empty());
        QCOMPARE(window->listTexts().rowCount(), 0);
    }

    void rescanReadsTheCatalogueAgain() {
        buildPhone(phoneRoot(), 2);
        m_locator.root = phoneRoot();
        auto window = makeWindow();
        buildPhone(phoneRoot(), 6);
        window->onPhoneRescan();
        QVERIFY(waitForListing(*window));
        QCOMPARE(window->listTexts().rowCount(), 6);
        QCOMPARE(window->windowTitle(), caption(kStatusConnected));
    }

    void folderPickerSavesAtOnce() {
        std::vector<std::uint8_t> bytes(SettingsRecord::kSize);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0x40 + i % 50);
        bytes[0] = 1;
        const std::string old = "/srv/old-archive";
        std::fill(bytes.begin() + 34, bytes.begin() + 294, 0);
        std::copy(old.begin(), old.end(), bytes.begin() + 34);
        VolumeBuilder::writeBytes(configPath(), bytes);
        m_settings.Load(configPath());

        auto window = makeWindow();
        const std::string chosen = m_folder->path() + "录音存档";
        m_chosen = QString::fromStdString(chosen);
        window->action(cmd::kUploadFolder)->trigger();

        QCOMPARE(m_chooserCalls.size(), std::size_t(1));
        QCOMPARE(m_chooserCalls[0].title, QStringLiteral("Pick a Directory"));
        QCOMPARE(m_chooserCalls[0].start, QString::fromStdString(old));
        QVERIFY(window->uploadFolderConfirmed());
        QCOMPARE(window->settingsCopy().uploadFolder(), chosen);
        const auto saved = VolumeBuilder::readBytes(configPath());
        QCOMPARE(saved.size(), SettingsRecord::kSize);
        QVERIFY(std::equal(saved.begin(), saved.begin() + 34, bytes.begin()));
        QCOMPARE(saved[294], bytes[294]);
        QCOMPARE(std::string(reinterpret_cast<const char*>(saved.data() + 34)), chosen);

        // The pop-up's command opens the same picker, at the folder just chosen.
        m_chosen.clear();
        window->action(cmd::kPopupUploadFolder)->trigger();
        QCOMPARE(m_chooserCalls.size(), std::size_t(2));
        QCOMPARE(m_chooserCalls[1].start, QString::fromStdString(chosen));
        QCOMPARE(VolumeBuilder::readBytes(configPath()), saved);
    }

    void cancellingThePickerChangesNothing() {
        auto window = makeWindow();
        m_chosen.clear();
        window->action(cmd::kUploadFolder)->trigger();
        QCOMPARE(m_chooserCalls.size(), std::size_t(1));
        QVERIFY(!window->uploadFolderConfirmed());
        QVERIFY(!QFile::exists(QString::fromStdString(configPath())));
        QVERIFY(window->settingsCopy().uploadFolder().empty());
    }

    void aFolderTooLongForTheSettingsIsRefused() {
        auto window = makeWindow();
        // 259 bytes fit the field with its NUL; 260 do not.
        const std::string fits = "/" + std::string(258, 'a');
        m_chosen = QString::fromStdString(fits);
        QVERIFY(window->pickUploadFolder());
        QCOMPARE(window->settingsCopy().uploadFolder(), fits);
        const auto saved = VolumeBuilder::readBytes(configPath());

        // Multi-byte characters count by their bytes.
        const std::string tooLong = "/" + std::string(253, 'b') + "档案";
        QCOMPARE(tooLong.size(), std::size_t(260));
        m_chosen = QString::fromStdString(tooLong);
        QVERIFY(!window->pickUploadFolder());
        QCOMPARE(m_messages.texts.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(m_messages.texts[0]).contains(QStringLiteral("路径太长")));
        QCOMPARE(window->settingsCopy().uploadFolder(), fits);
        QCOMPARE(VolumeBuilder::readBytes(configPath()), saved);
    }

    void progressAreaKeepsItsPlaceWhenResized() {
        buildPhone(phoneRoot(), 2);
        m_locator.root = phoneRoot();
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        for (const QSize size : {QSize(900, 500), QSize(640, 360), QSize(1200, 700)}) {
            window->resize(size);
            QTRY_COMPARE(window->size(), size);
            const QRect client = window->clientRect();
            const QRect button = window->stopButton()->geometry();
            const int h = button.height();
            const int barTop = client.height() - h + 2;
            // The layout's trace stays off unless asked for: nothing reaches stderr.
            static QStringList logged;
            logged.clear();
            const QtMessageHandler previous = qInstallMessageHandler(
                [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
            window->setProgressAreaShown(true);
            qInstallMessageHandler(previous);
            QVERIFY2(logged.isEmpty(), qPrintable(logged.join('\n')));
            QVERIFY(window->progressBar()->isVisible());
            QVERIFY(window->stopButton()->isVisible());
            QCOMPARE(window->stopButton()->geometry().right() + 1, client.right() + 1 - 10);
            QCOMPARE(window->stopButton()->geometry().bottom(), client.bottom());
            const QRect bar = window->progressBar()->geometry();
            QCOMPARE(bar.left(), 5);
            QCOMPARE(bar.height(), 15);
            QCOMPARE(bar.top(), client.top() + barTop);
            QCOMPARE(bar.right() + 1, window->stopButton()->geometry().left() - 5);
            QCOMPARE(window->listView()->geometry(), client.adjusted(0, 0, 0, -h));
        }

        // Resizing while shown lays the area out again.
        window->resize(800, 450);
        QTRY_COMPARE(window->stopButton()->geometry().right() + 1, window->clientRect().right() + 1 - 10);
        QCOMPARE(window->progressBar()->geometry().height(), 15);

        window->setProgressAreaShown(false);
        QVERIFY(!window->progressBar()->isVisible());
        QVERIFY(!window->stopButton()->isVisible());
        QCOMPARE(window->listView()->geometry(), window->clientRect());
        QVERIFY(window->clientRect().top() >= window->mainMenu()->geometry().bottom());
    }

    void stopWithoutAnUploadHidesTheArea() {
        auto window = makeWindow();
        window->show();
        QSignalSpy stops(window.get(), &CTapelinkDlg::stopRequested);
        window->setProgressAreaShown(true);
        QTest::mouseClick(window->stopButton(), Qt::LeftButton);
        QCOMPARE(stops.size(), 1);
        QVERIFY(!window->progressAreaShown());
        QVERIFY(!window->stopButton()->isVisible());
        QCOMPARE(window->stopButton()->text(), QStringLiteral("停止上传(&P)"));
    }

    void aboutCommandShowsTheAboutBox() {
        auto window = makeWindow();
        window->show();
        QString shownTitle;
        QTimer::singleShot(0, window.get(), [&shownTitle] {
            if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
                shownTitle = about->windowTitle();
                about->accept();
            }
        });
        window->action(cmd::kAbout)->trigger();
        QCOMPARE(shownTitle, QStringLiteral("Quorvalent Velmo录音电话软件"));
    }

    void looks() {
        auto window = makeWindow();
        QCOMPARE(window->objectName(), QStringLiteral("102"));
        QCOMPARE(window->font().family(), QStringLiteral("宋体"));
        // Without the face itself, one of its installed stand-ins is used, a size smaller, and it has the
        // Chinese characters.
        const QString used = QFontInfo(window->font()).family();
        if (used == QStringLiteral("宋体") || used.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0) {
            QCOMPARE(window->font().pointSize(), 9);
        } else {
            QVERIFY2(QFont::substitutes(QStringLiteral("宋体")).contains(used, Qt::CaseInsensitive), qPrintable(used));
            QCOMPARE(window->font().pointSizeF(), kStandInPointSize);
            // The list columns' file names fit as they would in 宋体.
            QVERIFY(QFontMetrics(window->font()).horizontalAdvance(QStringLiteral("VOA00001.WAV")) <= 80);
        }
        QVERIFY(QFontMetrics(window->font()).inFont(QChar(0x5F55)));
        QVERIFY(!window->windowIcon().isNull());
        QVERIFY(!window->windowIcon().pixmap(32, 32).isNull());
        QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(window->windowFlags() & Qt::WindowMaximizeButtonHint);

        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Below the menu bar, where no control covers the window, the background colour shows.
        window->setProgressAreaShown(true);
        const QImage shown = window->grab().toImage();
        const QRect client = window->clientRect();
        QCOMPARE(QColor(shown.pixel(2, client.bottom() - 1)), QColor(127, 127, 200));
    }
};

QTEST_MAIN(CTapelinkDlgTest)
#include "CTapelinkDlgTest.moc"
