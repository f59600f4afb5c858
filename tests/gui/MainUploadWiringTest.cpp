// The upload commands of the main window, wired to the upload engine: the menus, the overwrite prompt,
// the category dialog, the progress area, Stop, the refusal of commands while a worker exists, and
// closing the window during a copy.
#include <QAction>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "phone/DeviceStatus.h"
#include "settings/SettingsStore.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/gui/ModalDriver.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/RecordingSpreadsheet.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

// Messages kept in order; onMessage runs while the "box" is up, as a modal box would keep the caller.
class HookedMessages : public RecordingMessages {
public:
    void showMessage(const std::string& text, MessageIcon icon) override {
        RecordingMessages::showMessage(text, icon);
        if (onMessage) onMessage(text);
    }
    std::function<void(const std::string&)> onMessage;
};

std::vector<std::uint8_t> oldBytes() {
    return {'o', 'l', 'd'};
}

}  // namespace

class MainUploadWiringTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_folder;
    SettingsStore m_settings;
    FakeLocator m_locator;
    HookedMessages m_messages;
    int m_chooserCalls = 0;
    std::vector<std::string> m_prompts;
    std::vector<OverwriteDecision> m_answers;
    std::function<void()> m_duringPrompt;
    std::optional<std::optional<CategoryChoice>> m_category;  // the category dialog's answer
    CategoryCriteria m_typedCriteria;
    int m_categoryCalls = 0;
    int m_spreadsheets = 0;

    std::string phoneRoot() const { return m_folder->path() + "phone/"; }
    std::string uploads() const { return m_folder->path() + "uploads"; }
    std::string uploaded(const std::string& name) const { return uploads() + "/" + name; }
    std::string voice(const std::string& name) const { return phoneRoot() + "voice/" + name; }

    std::unique_ptr<CTapelinkDlg> makeWindow() {
        MainWindowServices services = servicesWithCatalogues();
        services.askOverwrite = [this](const QString& prompt, QWidget*) {
            m_prompts.push_back(prompt.toStdString());
            if (m_duringPrompt) m_duringPrompt();
            if (m_answers.empty()) return OverwriteDecision::Pending;
            const OverwriteDecision answer = m_answers.front();
            m_answers.erase(m_answers.begin());
            return answer;
        };
        services.askCategory = [this](CategoryCriteria& criteria, QWidget*) -> std::optional<CategoryChoice> {
            ++m_categoryCalls;
            if (!m_category || !*m_category) return std::nullopt;
            criteria = m_typedCriteria;
            return **m_category;
        };
        services.makeSpreadsheet = [this]() -> std::unique_ptr<ISpreadsheet> {
            ++m_spreadsheets;
            return std::make_unique<RecordingSpreadsheet>();
        };
        auto chooser = [this](QWidget*, const QString&, const QString&, QWidget*) {
            ++m_chooserCalls;
            return QString::fromStdString(uploads());
        };
        auto window = std::make_unique<CTapelinkDlg>(m_settings, m_locator, m_messages, chooser, services);
        window->show();
        if (!waitForListing(*window)) qWarning("the first listing never came");
        return window;
    }

    static QString name(CTapelinkDlg& window, int row) {
        return QString::fromStdString(window.listTexts().cellText(row, 1));
    }

    static void select(CTapelinkDlg& window, const std::vector<int>& rows) {
        window.listView()->clearSelection();
        for (int row : rows) {
            window.listView()->selectionModel()->select(window.listView()->model()->index(row, 0),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

private slots:
    void init() {
        m_folder = std::make_unique<TempFolder>();
        m_settings = SettingsStore();
        m_settings.Load(m_folder->path() + "config.ini");
        m_locator = FakeLocator();
        m_messages = HookedMessages();
        m_chooserCalls = 0;
        m_prompts.clear();
        m_answers.clear();
        m_duringPrompt = nullptr;
        m_category.reset();
        m_typedCriteria = {};
        m_categoryCalls = 0;
        m_spreadsheets = 0;
        fs::create_directory(uploads());
        buildPhone(phoneRoot(), 3);
        m_locator.root = phoneRoot();
    }

    void uploadAllFromTheMenuThroughTheOverwritePrompt() {
        VolumeBuilder::writeBytes(uploaded("VOA00002.WAV"), oldBytes());
        auto window = makeWindow();
        QSignalSpy statuses(window.get(), &CTapelinkDlg::statusTextChanged);
        m_answers = {OverwriteDecision::Yes};
        bool areaShownDuringPrompt = false;
        m_duringPrompt = [&] {
            areaShownDuringPrompt =
                window->progressBar()->isVisible() && window->stopButton()->isVisible() && window->uploadRunning();
        };

        window->action(cmd::kUploadAll)->trigger();
        // The first upload of the run asks for the folder, even though one may be stored.
        QCOMPARE(m_chooserCalls, 1);
        QVERIFY(window->uploadRunning());
        QVERIFY(window->progressAreaShown());
        QVERIFY(window->stopButton()->isVisible());

        QTRY_VERIFY(!window->uploadRunning());
        QVERIFY(areaShownDuringPrompt);
        QCOMPARE(m_prompts, (std::vector<std::string>{uploaded("VOA00002.WAV") + " 文件已经存在，是否覆盖？"}));
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));
        QVERIFY(!window->progressAreaShown());
        QVERIFY(!window->progressBar()->isVisible());
        QVERIFY(!window->stopButton()->isVisible());
        QCOMPARE(window->progressBar()->maximum(), 3);
        QCOMPARE(window->progressBar()->value(), 3);
        QCOMPARE(window->windowTitle(), QString::fromStdString(mainCaption(kStatusConnected)));
        // One status per file in list order (the telephone's folder order), then the connected one.
        QStringList seen;
        for (const auto& arguments : statuses) seen << arguments[0].toString();
        QStringList expected;
        for (int row = 0; row < 3; ++row) expected << QStringLiteral("设备状态：正在上传文件 ") + name(*window, row);
        expected << QStringLiteral("设备状态：录音电话成功连接");
        QCOMPARE(seen, expected);
        for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}) {
            QVERIFY(VolumeBuilder::readBytes(uploaded(name)) == VolumeBuilder::readBytes(voice(name)));
        }
        QCOMPARE(VolumeBuilder::sortedNames(uploads()).size(), std::size_t(3));

        // The pop-up's "选择上传": the folder is confirmed now, and "否" keeps each existing file.
        select(*window, {2, 0});
        const std::string last = name(*window, 2).toStdString();
        VolumeBuilder::writeBytes(uploaded(last), oldBytes());
        m_answers = {OverwriteDecision::No, OverwriteDecision::No};
        m_messages.texts.clear();
        window->action(cmd::kPopupUploadSelected)->trigger();
        QTRY_VERIFY(!window->uploadRunning());
        QCOMPARE(m_chooserCalls, 1);
        QCOMPARE(m_prompts.size(), std::size_t(3));
        QCOMPARE(m_prompts[1], uploaded(name(*window, 0).toStdString()) + " 文件已经存在，是否覆盖？");
        QCOMPARE(m_prompts[2], uploaded(last) + " 文件已经存在，是否覆盖？");
        QVERIFY(VolumeBuilder::readBytes(uploaded(last)) == oldBytes());
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));

        // Nothing selected: told so, nothing started.
        window->listView()->clearSelection();
        m_messages.texts.clear();
        window->action(cmd::kUploadSelected)->trigger();
        QVERIFY(!window->uploadRunning());
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"请选择需要上传的语音记录！"}));
        QVERIFY(!window->progressAreaShown());
    }

    void uploadByCategoryBothWaysAndCancel() {
        // Rows: two of 2011-05-18 with numbers 13800138000 and 13912345678, one of 2011-06-02 with 13812345678.
        TempFolder other;
        const std::string root = other.path();
        VolumeBuilder volume(root);
        volume.writeIndex(VolumeBuilder::header(3, 4));
        VolumeBuilder::writeRecording(volume.voice() + "VOA00001.WAV",
                                      VolumeBuilder::info('B', "13800138000", 11, 5, 18, 9, 1));
        VolumeBuilder::writeRecording(volume.voice() + "VOA00002.WAV",
                                      VolumeBuilder::info('Z', "13912345678", 11, 5, 18, 10, 2));
        VolumeBuilder::writeRecording(volume.voice() + "VOA00003.WAV",
                                      VolumeBuilder::info('B', "13812345678", 11, 6, 2, 11, 3));
        m_locator.root = root;
        auto window = makeWindow();

        // Cancelled: nothing starts and no folder is asked for.
        m_category = std::optional<CategoryChoice>();
        window->action(cmd::kUploadByCategory)->trigger();
        QCOMPARE(m_categoryCalls, 1);
        QCOMPARE(m_chooserCalls, 0);
        QVERIFY(!window->uploadRunning());
        QVERIFY(m_messages.texts.empty());

        // By number: the number is used as a substring of the number column.
        m_category = std::optional<CategoryChoice>(CategoryChoice::ByNumber);
        m_typedCriteria.numberText = "1234";
        m_typedCriteria.date = std::chrono::year{2011} / std::chrono::May / 18;
        window->action(cmd::kPopupUploadByCategory)->trigger();
        QCOMPARE(m_chooserCalls, 1);
        QTRY_VERIFY(!window->uploadRunning());
        QCOMPARE(VolumeBuilder::sortedNames(uploads()), (std::vector<std::string>{"VOA00002.WAV", "VOA00003.WAV"}));
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));

        // By date: the date is used even though a number was typed.
        fs::remove_all(uploads());
        fs::create_directory(uploads());
        m_category = std::optional<CategoryChoice>(CategoryChoice::ByDate);
        window->action(cmd::kUploadByCategory)->trigger();
        QTRY_VERIFY(!window->uploadRunning());
        QCOMPARE(VolumeBuilder::sortedNames(uploads()), (std::vector<std::string>{"VOA00001.WAV", "VOA00002.WAV"}));

        // A date with no recording.
        m_messages.texts.clear();
        m_typedCriteria.date = std::chrono::year{2011} / std::chrono::May / 19;
        window->action(cmd::kUploadByCategory)->trigger();
        QVERIFY(!window->uploadRunning());
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"未找到任何与查询条件相匹配的语音文件！"}));
        QCOMPARE(m_categoryCalls, 4);
    }

    void everyCommandButExitIsRefusedWhileTheWorkerExists() {
        VolumeBuilder::writeBytes(uploaded("VOA00001.WAV"), oldBytes());
        auto window = makeWindow();
        const std::vector<int> refused = {32789, 32790, 32791, 32792, 32793, 32794, 32795,
                                          32796, 32797, 32798, 32771, 32773, 32777, 32776};
        bool modalOpened = false;
        const QPointer<QTimer> watch = whenModal<QDialog>([](QDialog&) {}, &modalOpened);
        auto tryEveryCommand = [&] {
            select(*window, {0, 1, 2});
            for (int id : refused) window->action(id)->trigger();
        };
        m_answers = {OverwriteDecision::Yes};
        // While the worker waits for the prompt's answer, and while its last message is up.
        m_duringPrompt = tryEveryCommand;
        bool runningAtLastMessage = false;
        m_messages.onMessage = [&](const std::string& text) {
            if (text != "传输完毕！") return;
            runningAtLastMessage = window->uploadRunning();
            tryEveryCommand();
        };
        window->action(cmd::kUploadAll)->trigger();
        QTRY_VERIFY(!window->uploadRunning());
        QVERIFY(runningAtLastMessage);
        QCoreApplication::processEvents();
        QVERIFY(!modalOpened);
        delete watch.data();
        QCOMPARE(m_chooserCalls, 1);  // only the first upload's question
        QCOMPARE(m_categoryCalls, 0);
        QCOMPARE(m_spreadsheets, 0);
        QCOMPARE(m_prompts.size(), std::size_t(1));
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));
        for (const char* name : {"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}) QVERIFY(fs::exists(voice(name)));
        QCOMPARE(window->listTexts().rowCount(), 3);

        // Once the worker has ended the commands work again.
        m_messages.onMessage = nullptr;
        window->action(cmd::kExportExcel)->trigger();
        QCOMPARE(m_spreadsheets, 1);
    }

    void stopEndsTheJobAfterTheCurrentFile() {
        auto window = makeWindow();
        const QString second = name(*window, 1);
        connect(window.get(), &CTapelinkDlg::statusTextChanged, window.get(), [&](const QString& status) {
            if (status.endsWith(second)) window->stopButton()->click();
        });
        window->action(cmd::kUploadAll)->trigger();
        QTRY_VERIFY(!window->uploadRunning());
        std::vector<std::string> firstTwo = {name(*window, 0).toStdString(), second.toStdString()};
        std::sort(firstTwo.begin(), firstTwo.end());
        QCOMPARE(VolumeBuilder::sortedNames(uploads()), firstTwo);
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));
        QVERIFY(!window->progressAreaShown());
        QCOMPARE(m_chooserCalls, 1);

        // Stop without a worker only hides the progress area.
        window->setProgressAreaShown(true);
        window->stopButton()->click();
        QVERIFY(!window->progressAreaShown());
        QVERIFY(!window->stopButton()->isVisible());
    }

    // A dead upload folder is one box, not one per recording, and the job then ends as usual.
    void aVanishedUploadFolderIsToldOnce() {
        auto window = makeWindow();
        fs::remove(uploads());
        window->action(cmd::kUploadAll)->trigger();
        QTRY_VERIFY(!window->uploadRunning());
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"上传路径错误！", "传输完毕！"}));
        QVERIFY(!window->progressAreaShown());
        QCOMPARE(window->windowTitle(), QString::fromStdString(mainCaption(kStatusConnected)));
    }

    void closingDuringACopyStopsItAndThenCloses() {
        auto window = makeWindow();
        const std::string first = name(*window, 0).toStdString();
        const std::string second = name(*window, 1).toStdString();
        const std::string third = name(*window, 2).toStdString();
        // The second recording is large enough to be copied in many blocks.
        VolumeBuilder::writeRecording(voice(second), VolumeBuilder::info('B', "13800138000", 11, 5, 18, 9, 1),
                                      16u << 20);
        VolumeBuilder::writeBytes(uploaded(first), oldBytes());
        VolumeBuilder::writeBytes(uploaded(second), oldBytes());
        // "全是" for the first file, so the second one is being replaced when the window closes.
        m_answers = {OverwriteDecision::YesToAll};
        connect(window.get(), &CTapelinkDlg::statusTextChanged, window.get(), [&](const QString& status) {
            if (status.endsWith(QString::fromStdString(second))) window->close();
        });
        QSignalSpy finished(window.get(), &QDialog::finished);
        window->action(cmd::kUploadAll)->trigger();

        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!window->uploadRunning());
        QCOMPARE(m_prompts.size(), std::size_t(1));
        // No closing message, no temporary file, and the file being replaced is as it was.
        QVERIFY(m_messages.texts.empty());
        std::vector<std::string> firstTwo = {first, second};
        std::sort(firstTwo.begin(), firstTwo.end());
        QCOMPARE(VolumeBuilder::sortedNames(uploads()), firstTwo);
        QVERIFY(VolumeBuilder::readBytes(uploaded(second)) == oldBytes());
        QVERIFY(fs::exists(voice(third)));
        QVERIFY(!fs::exists(uploaded(third)));

        // Without a worker, closing is immediate.
        window->show();
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(MainUploadWiringTest)
#include "MainUploadWiringTest.moc"
