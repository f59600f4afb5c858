// The main window's commands that open windows or change the telephone: permanent delete, the recycle
// bin, the search dialog with its player and export, and the export of the phone list. Device
// notifications reach the main window's rules once each, whichever dialog is in front.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/DeviceChangeRouter.h"
#include "app/ui/WorkbookSaveDialog.h"
#include "phone/DeviceStatus.h"
#include "phone/ui/CRecycleDlg.h"
#include "playback/ui/CPlayDlg.h"
#include "search/ui/CQueryDlg.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsStore.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/gui/ModalDriver.h"
#include "tests/support/FakeAudioDecoder.h"
#include "tests/support/FakeAudioOutput.h"
#include "tests/support/FakeMixer.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class FolderChooserFake : public IArchiveFileChooser {
public:
    QStringList chooseRecordingFiles(QWidget*) override { return {}; }
    std::optional<QString> chooseFolder(QWidget*) override { return folder; }
    std::optional<QString> folder;
};

// Every spreadsheet the window makes logs into the same list.
class SharedSpreadsheet : public RecordingSpreadsheet {
public:
    explicit SharedSpreadsheet(std::vector<std::string>& log) : m_log(log) {}
    ~SharedSpreadsheet() override { m_log.insert(m_log.end(), calls.begin(), calls.end()); }

private:
    std::vector<std::string>& m_log;
};

template <typename Widget>
Widget* child(QWidget& parent, const char* id) {
    return parent.findChild<Widget*>(QString::fromLatin1(id));
}

}  // namespace

class MainDialogWiringTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_folder;
    SettingsStore m_settings;
    FakeLocator m_locator;
    RecordingMessages m_messages;
    RecordingMessages m_searchMessages;
    FolderChooserFake m_chooser;
    FakeAudioDecoder m_decoder;
    FakeAudioOutput m_output;
    FakeMixer m_mixer;
    RecordingMessages m_mediaMessages;
    PlayerDevices m_devices{m_decoder, m_output, m_mixer, &m_mediaMessages};
    std::vector<std::string> m_sheetCalls;
    std::string m_failingSheetStep;  // the step a spreadsheet fails at; empty: none
    QStringList m_suggestedWorkbooks;
    QString m_chosenWorkbook;  // the save dialog's answer; empty: cancelled

    std::string phoneRoot() const { return m_folder->path() + "phone/"; }
    std::string archive() const { return m_folder->path() + "archive/"; }

    std::unique_ptr<CTapelinkDlg> makeWindow() {
        MainWindowServices services = servicesWithCatalogues();
        services.makeSpreadsheet = [this] {
            auto sheet = std::make_unique<SharedSpreadsheet>(m_sheetCalls);
            sheet->failAt = m_failingSheetStep;
            return sheet;
        };
        services.chooseWorkbookFile = [this](const QString& suggested, QWidget*) {
            m_suggestedWorkbooks << suggested;
            return m_chosenWorkbook;
        };
        services.playerDevices = &m_devices;
        services.searchMessages = &m_searchMessages;
        services.archiveChooser = &m_chooser;
        auto window = std::make_unique<CTapelinkDlg>(m_settings, m_locator, m_messages, FolderChooser{}, services);
        window->show();
        if (!waitForListing(*window)) qWarning("the first listing never came");
        return window;
    }

    static void select(QAbstractItemView& view, const std::vector<int>& rows) {
        view.clearSelection();
        for (int row : rows) {
            view.selectionModel()->select(view.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    static std::vector<std::string> column(const IListTexts& list, int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < list.rowCount(); ++row) texts.push_back(list.cellText(row, column));
        return texts;
    }

private slots:
    void init() {
        m_folder = std::make_unique<TempFolder>();
        m_settings = SettingsStore();
        m_settings.Load(m_folder->path() + "config.ini");
        m_locator = FakeLocator();
        m_messages = RecordingMessages();
        m_searchMessages = RecordingMessages();
        m_chooser = FolderChooserFake();
        m_decoder = FakeAudioDecoder();
        m_output = FakeAudioOutput();
        m_mixer = FakeMixer();
        m_mediaMessages = RecordingMessages();
        m_sheetCalls.clear();
        m_failingSheetStep.clear();
        m_suggestedWorkbooks.clear();
        m_chosenWorkbook.clear();
        buildPhone(phoneRoot(), 5);
        m_locator.root = phoneRoot();
    }

    void permanentDeleteRemovesRowsAndKeepsTheCountersInStep() {
        auto window = makeWindow();
        window->action(cmd::kDeletePermanently)->trigger();
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"请先选择一条要删除的语音记录！"}));

        const std::vector<std::string> names = column(window->listTexts(), 1);
        select(*window->listView(), {3, 1});
        window->action(cmd::kDeletePermanently)->trigger();
        QCOMPARE(window->listTexts().rowCount(), 3);
        // The rows left keep their numbers; the list is not read again.
        QCOMPARE(column(window->listTexts(), 0), (std::vector<std::string>{"1", "3", "5"}));
        QCOMPARE(column(window->listTexts(), 1), (std::vector<std::string>{names[0], names[2], names[4]}));
        QVERIFY(!fs::exists(phoneRoot() + "voice/" + names[1]));
        QVERIFY(!fs::exists(phoneRoot() + "voice/" + names[3]));
        QVERIFY(fs::exists(phoneRoot() + "voice/" + names[2]));
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).recordingCount(), 3);
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).nextSerial(), 6);
        QCOMPARE(window->phoneIndex().recordingCount(), 3);

        // The pop-up's command, on every row: the serials start again at 1.
        select(*window->listView(), {0, 1, 2});
        window->action(cmd::kPopupDeletePermanently)->trigger();
        QCOMPARE(window->listTexts().rowCount(), 0);
        QVERIFY(fs::is_empty(phoneRoot() + "voice/"));
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).recordingCount(), 0);
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).nextSerial(), 1);
        QCOMPARE(m_messages.texts.size(), std::size_t(1));
    }

    void restoreFromTheRecycleBinRescansTheMainWindow() {
        VolumeBuilder::writeRecording(phoneRoot() + "RECYCLE/VOI00007.WAV", 'Z', "02112345678");
        auto window = makeWindow();
        QCOMPARE(window->phoneIndex().nextSerial(), 6);
        QSignalSpy statuses(window.get(), &CTapelinkDlg::statusTextChanged);
        bool seen = false;
        whenModal<CRecycleDlg>(
            [&](CRecycleDlg& bin) {
                QVERIFY(bin.parentWidget() == window.get());
                QCOMPARE(bin.driveRoot(), phoneRoot());
                auto* list = child<QTableWidget>(bin, "1003");
                QCOMPARE(list->rowCount(), 1);
                list->selectRow(0);
                child<QPushButton>(bin, "1")->click();
                QTRY_VERIFY(!bin.isRestoring());
                QTRY_COMPARE(window->listTexts().rowCount(), 6);
                QCOMPARE(list->rowCount(), 0);
            },
            &seen);
        window->action(cmd::kRecycleBin)->trigger();
        QVERIFY(seen);

        QCOMPARE(m_messages.texts, (std::vector<std::string>{"还原完毕！"}));
        QVERIFY(fs::exists(phoneRoot() + "voice/VOI00006.WAV"));
        // The header was on the telephone before the main window read it again.
        QCOMPARE(window->phoneIndex().nextSerial(), 7);
        QCOMPARE(window->phoneIndex().recordingCount(), 6);
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).nextSerial(), 7);
        QCOMPARE(statuses.size(), 2);
        QCOMPARE(statuses[0][0].toString(), QString::fromUtf8(kStatusReading));
        QCOMPARE(statuses[1][0].toString(), QString::fromUtf8(kStatusConnected));
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Quorvalent audio Velmo录音电话软件    设备状态：录音电话成功连接"));
    }

    void deviceChangesReachTheMainWindowOnceWhileTheRecycleBinIsOpen() {
        auto window = makeWindow();
        DeviceChangeRouter& devices = window->deviceChanges();
        whenModal<CRecycleDlg>([&](CRecycleDlg& bin) {
            QCOMPARE(devices.depth(), 2);
            // Another device goes while the telephone stays: the bin and the main window ask once each.
            const int asked = m_locator.calls;
            devices.deviceRemoved();
            QCOMPARE(m_locator.calls, asked + 2);
            QCOMPARE(window->listTexts().rowCount(), 5);

            // The telephone goes: the bin passes it on, the main window applies its rule once.
            m_locator.root.clear();
            devices.deviceRemoved();
            QCOMPARE(m_locator.calls, asked + 4);
            QVERIFY(bin.driveRoot().empty());
            QVERIFY(window->driveRoot().empty());
            QCOMPARE(window->listTexts().rowCount(), 0);
            QCOMPARE(m_messages.texts, (std::vector<std::string>{"电话机被移除！"}));

            // It comes back.
            m_locator.root = phoneRoot();
            devices.deviceArrived();
            QCOMPARE(m_locator.calls, asked + 6);
            QCOMPARE(bin.driveRoot(), phoneRoot());
            QVERIFY(waitForListing(*window));
            QCOMPARE(window->listTexts().rowCount(), 5);
        });
        window->action(cmd::kRecycleBin)->trigger();
        QCOMPARE(window->deviceChanges().depth(), 1);
        QCOMPARE(window->windowTitle(), QString::fromStdString(mainCaption(kStatusConnected)));
    }

    void searchDialogFromTheMenuWithPlayerAndExport() {
        fs::create_directories(archive());
        for (int i = 1; i <= 3; ++i) {
            const std::string path = archive() + "VOA0000" + std::to_string(i) + ".WAV";
            VolumeBuilder::writeRecording(path,
                                          VolumeBuilder::info('Z', "1380013800" + std::to_string(i), 11, 5, 18, 9, i));
            m_decoder.addRecording(path, 60000);
        }
        m_chooser.folder = QString::fromStdString(archive());
        auto window = makeWindow();
        DeviceChangeRouter& devices = window->deviceChanges();
        bool searchSeen = false;
        bool playerSeen = false;
        whenModal<CQueryDlg>(
            [&](CQueryDlg& search) {
                QVERIFY(search.parentWidget() == window.get());
                QVERIFY(search.isModal());
                child<QPushButton>(search, "1064")->click();
                QCOMPARE(search.resultTexts().rowCount(), 3);

                // 导出EXCEL: seven exported columns, "姓名" in the eighth and "备注" in the ninth.
                child<QPushButton>(search, "1037")->click();
                QCOMPARE(m_sheetCalls.front(), std::string("createApplication"));
                QCOMPARE(m_sheetCalls.back(), std::string("release"));
                QVERIFY(std::find(m_sheetCalls.begin(), m_sheetCalls.end(), "putCellText 1 9 备注") !=
                        m_sheetCalls.end());
                QVERIFY(std::find(m_sheetCalls.begin(), m_sheetCalls.end(), "putCellText 4 2 VOA00003.WAV") !=
                        m_sheetCalls.end());

                // A device change while the search dialog is in front reaches the main window once.
                const int asked = m_locator.calls;
                m_locator.root.clear();
                devices.deviceRemoved();
                QTRY_VERIFY(window->driveRoot().empty());
                QCOMPARE(m_locator.calls, asked + 1);

                // 播放 opens the player over the search dialog, playing the selected row.
                whenModal<CPlayDlg>(
                    [&](CPlayDlg& player) {
                        QVERIFY(player.parentWidget() == &search);
                        QCOMPARE(m_decoder.decoded, (std::vector<std::string>{archive() + "VOA00002.WAV"}));
                        QCOMPARE(devices.depth(), 3);
                        m_locator.root = phoneRoot();
                        devices.deviceArrived();
                        QTRY_COMPARE(window->listTexts().rowCount(), 5);
                        QCOMPARE(m_locator.calls, asked + 2);
                    },
                    &playerSeen);
                select(*child<QTableView>(search, "1026"), {1});
                child<QPushButton>(search, "1066")->click();
                QCOMPARE(devices.depth(), 2);
            },
            &searchSeen);
        window->action(cmd::kSearch)->trigger();
        QVERIFY(searchSeen);
        QVERIFY(playerSeen);
        QCOMPARE(devices.depth(), 1);
        QVERIFY(m_searchMessages.texts.empty());
        QVERIFY(m_messages.texts.empty());
    }

    void exportOfThePhoneList() {
        auto window = makeWindow();
        window->action(cmd::kExportExcel)->trigger();
        RecordingSpreadsheet expected;
        expected.calls = openingCalls();
        const std::vector<std::string> titles = {"序号", "文件名", "录音类型", "电话号码", "主/被叫", "开始时间"};
        for (std::size_t i = 0; i < titles.size(); ++i) {
            expected.putCellText(1, static_cast<int>(i) + 1, titles[i]);
        }
        expected.putCellText(1, 7, "姓名");
        expected.putCellText(1, 8, "备注");
        const std::vector<std::string> cells(m_sheetCalls.begin() + static_cast<long>(openingCalls().size()),
                                             m_sheetCalls.end() - static_cast<long>(closingCalls().size()));
        QCOMPARE(cells.size(), std::size_t(8 + 8 * 5));
        QVERIFY(std::equal(expected.calls.begin(), expected.calls.end(), m_sheetCalls.begin()));
        // Row 2 holds the first recording; its kind gets a space before it (the side is 被叫).
        const std::string firstName = window->listTexts().cellText(0, 1);
        QVERIFY(std::find(cells.begin(), cells.end(), "putCellText 2 2 " + firstName) != cells.end());
        QVERIFY(std::find(cells.begin(), cells.end(), "putCellText 2 3  通话录音") != cells.end());
        const std::vector<std::string> closing = closingCalls();
        QVERIFY(std::equal(closing.begin(), closing.end(), m_sheetCalls.end() - static_cast<long>(closing.size())));
    }

    // Without a spreadsheet application, or with one that would not take the workbook, the workbook is
    // kept in a file the user picks, or nowhere.
    void exportWithoutASpreadsheetApplicationOffersToSaveTheWorkbook_data() {
        QTest::addColumn<QString>("failing");
        QTest::newRow("none found") << "createApplication";
        QTest::newRow("opening failed") << "giveControlToUser";
    }

    void exportWithoutASpreadsheetApplicationOffersToSaveTheWorkbook() {
        QFETCH(QString, failing);
        m_failingSheetStep = failing.toStdString();
        SettingsRecord record;
        record.setUploadFolder(archive());
        m_settings.SetRecord(record);
        fs::create_directory(archive());
        auto window = makeWindow();
        const QString today = QDate::currentDate().toString(Qt::ISODate);

        window->action(cmd::kExportExcel)->trigger();  // cancelled
        QCOMPARE(m_messages.texts, std::vector<std::string>{"创建Excel服务失败!"});
        QCOMPARE(m_suggestedWorkbooks, QStringList{QString::fromStdString(archive()) + "录音列表_" + today + ".xlsx"});
        QVERIFY(VolumeBuilder::sortedNames(archive()).empty());

        m_chosenWorkbook = QString::fromStdString(m_folder->path() + "kept.xlsx");
        window->action(cmd::kExportExcel)->trigger();
        const auto workbook = VolumeBuilder::readBytes(m_chosenWorkbook.toStdString());
        QVERIFY(workbook.size() > 2 && workbook[0] == 'P' && workbook[1] == 'K');
        QCOMPARE(m_messages.texts.size(), std::size_t{2});
    }

    void theSaveDialogIsChineseAndOpensAtTheSuggestedFile() {
        const QString suggested = QString::fromStdString(m_folder->path() + "录音列表_2026-01-02.xlsx");
        QString title;
        QString accept;
        QStringList selected;
        bool chineseColumns = false;
        QTimer::singleShot(0, this, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                chineseColumns = dialog->proxyModel() != nullptr && dialog->viewMode() == QFileDialog::Detail;
                title = dialog->windowTitle();
                accept = dialog->labelText(QFileDialog::Accept);
                selected = dialog->selectedFiles();
                dialog->reject();
            }
        });
        QVERIFY(askWorkbookFile(suggested, nullptr).isEmpty());
        QCOMPARE(title, QStringLiteral("保存Excel文件"));
        QCOMPARE(accept, QStringLiteral("保存(&S)"));
        QCOMPARE(selected, QStringList{suggested});
        QVERIFY(chineseColumns);  // its folder and date columns are written in Chinese like the others
    }
};

QTEST_MAIN(MainDialogWiringTest)
#include "MainDialogWiringTest.moc"
