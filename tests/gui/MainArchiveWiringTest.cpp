// The archive's commands in the main window: the "存档" column, 上传新录音, the remembered automatic
// upload, 校验存档 and 删除已存档录音, with the real catalogue behind them.
#include <QAction>
#include <QTableView>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/SettingsStore.h"
#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/MainArchiveController.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

class MainArchiveWiringTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_folder;
    SettingsStore m_settings;
    FakeLocator m_locator;
    RecordingMessages m_messages;
    std::vector<QString> m_questions;

    std::string phoneRoot() const { return m_folder->path() + "phone/"; }
    std::string uploads() const { return m_folder->path() + "uploads"; }

    std::unique_ptr<CTapelinkDlg> makeWindow() {
        MainWindowServices services;
        services.confirm = [this](const QString& question, QWidget*) {
            m_questions.push_back(question);
            return true;
        };
        auto chooser = [this](QWidget*, const QString&, const QString&) { return QString::fromStdString(uploads()); };
        auto window = std::make_unique<CTapelinkDlg>(m_settings, m_locator, m_messages, chooser, services);
        window->show();
        return window;
    }
    static QStringList marks(CTapelinkDlg& window) {
        QStringList texts;
        auto* model = window.listView()->model();
        for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, 8).data().toString();
        return texts;
    }
    static void waitIdle(CTapelinkDlg& window) { QTRY_VERIFY(!window.uploadRunning() && !window.archive().isBusy()); }

private slots:
    void init() {
        m_folder = std::make_unique<TempFolder>();
        m_settings = SettingsStore();
        m_settings.Load(m_folder->path() + "config.ini");
        m_locator = FakeLocator();
        m_messages = RecordingMessages();
        m_questions.clear();
        fs::create_directory(uploads());
        buildPhone(phoneRoot(), 3);
        m_locator.root = phoneRoot();
    }

    void uploadNewMarksTheRowsAndClearingDeletesOnlyWhatIsArchived() {
        auto window = makeWindow();
        QCOMPARE(window->listView()->model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("存档"));
        QCOMPARE(marks(*window), (QStringList{"", "", ""}));

        window->action(cmd::kUploadNew)->trigger();
        waitIdle(*window);
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));
        QVERIFY(window->windowTitle().contains(QStringLiteral("已存档 3 条新录音")));
        QTRY_COMPARE(marks(*window), (QStringList{"已存档", "已存档", "已存档"}));

        // A different recording under an archived name (the telephone's counter started again).
        VolumeBuilder::writeRecording(phoneRoot() + "voice/VOA00001.WAV",
                                      VolumeBuilder::info('Z', "999", 12, 1, 2, 3, 4));
        window->onPhoneRescan();
        waitIdle(*window);
        int clashRow = -1;
        for (int row = 0; row < 3; ++row) {
            if (window->listTexts().cellText(row, 1) == "VOA00001.WAV") clashRow = row;
        }
        QTRY_COMPARE(marks(*window).at(clashRow), QStringLiteral("同名不同"));

        m_messages.texts.clear();
        window->action(cmd::kDeleteArchived)->trigger();
        waitIdle(*window);
        QCOMPARE(m_questions, (std::vector<QString>{QStringLiteral("将从电话机删除 2 条已存档的录音，确定吗？")}));
        QCOMPARE(VolumeBuilder::sortedNames(phoneRoot() + "voice"), std::vector<std::string>{"VOA00001.WAV"});
        QCOMPARE(window->listTexts().rowCount(), 1);
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).recordingCount(), 1);
    }

    void verifyReportsAChangedFileAndTheAutomaticUploadIsRemembered() {
        {
            auto window = makeWindow();
            window->action(cmd::kUploadNew)->trigger();
            waitIdle(*window);
            window->action(cmd::kUploadNewOnArrival)->trigger();
            QVERIFY(window->archive().preferences().uploadNewOnArrival);
            auto bytes = VolumeBuilder::readBytes(uploads() + "/VOA00002.WAV");
            bytes.back() ^= 0xFF;
            VolumeBuilder::writeBytes(uploads() + "/VOA00002.WAV", bytes);
            m_messages.texts.clear();
            window->action(cmd::kVerifyArchive)->trigger();
            waitIdle(*window);
            QCOMPARE(m_messages.texts.size(), std::size_t(1));
            QVERIFY(m_messages.texts[0].find("内容已改变：\n  VOA00002.WAV") != std::string::npos);
        }
        // config.ini keeps its size; the choice lives beside it.
        QCOMPARE(fs::file_size(m_folder->path() + "config.ini"), std::uintmax_t(295));
        fs::remove_all(phoneRoot());
        m_locator.root.clear();
        auto window = makeWindow();
        QVERIFY(window->action(cmd::kUploadNewOnArrival)->isChecked());
        // A telephone arrives with one new recording: uploaded by itself, without a closing message.
        buildPhone(phoneRoot(), 0);
        VolumeBuilder::writeRecording(phoneRoot() + "voice/VOA00007.WAV",
                                      VolumeBuilder::info('Z', "777", 12, 7, 7, 7, 7));
        m_locator.root = phoneRoot();
        m_messages.texts.clear();
        window->onDeviceArrival();
        waitIdle(*window);
        QVERIFY(fs::exists(uploads() + "/VOA00007.WAV"));
        QVERIFY(m_messages.texts.empty());
        QVERIFY(window->windowTitle().contains(QStringLiteral("已存档 1 条新录音")));
    }
};

QTEST_MAIN(MainArchiveWiringTest)
#include "MainArchiveWiringTest.moc"
