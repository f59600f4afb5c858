// The archive's commands in the main window: the "存档" column, 上传新录音, the remembered automatic
// upload, 校验存档, 删除已存档录音, 压缩存档… and the retention rule, with the real catalogue behind them.
#include <sqlite3.h>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/MainArchiveController.h"
#include "catalogue/CatalogueSession.h"
#include "retention/ui/RetentionRuleBox.h"
#include "settings/SettingsStore.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/support/LostConnectionOpener.h"
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
    std::vector<QString> m_prompts;
    std::vector<CClearArchivedDlg::Choice> m_clearingAnswers;  // taken in turn
    std::function<void()> m_whileConfirming;                   // run while the confirmation is open
    std::string m_chosenFolder;                                // what the folder chooser answers
    std::function<void(QWidget* extra)> m_whileChoosing;       // run on the chooser's extra controls
    bool m_confirmAnswer = true;                               // what the yes/no questions answer

    std::string phoneRoot() const { return m_folder->path() + "phone/"; }
    std::string uploads() const { return m_folder->path() + "uploads"; }

    std::unique_ptr<CTapelinkDlg> makeWindow(IArchiveCatalogueOpener* catalogues = nullptr,
                                             const std::function<void(MainWindowServices&)>& change = {}) {
        MainWindowServices services = servicesWithCatalogues();
        if (catalogues != nullptr) services.catalogueOpener = catalogues;
        if (change) change(services);
        services.confirm = [this](const QString& question, QWidget*) {
            m_questions.push_back(question);
            return m_confirmAnswer;
        };
        // Records what the confirmation would show: its starting rule and the counts with and without a rule.
        services.chooseClearing = [this](const CClearArchivedDlg::CountFor& countFor, CClearArchivedDlg::Choice initial,
                                         QWidget*) -> std::optional<CClearArchivedDlg::Choice> {
            m_questions.push_back(QStringLiteral("%1 %2 %3")
                                      .arg(initial ? QString::number(*initial) : QStringLiteral("-"))
                                      .arg(countFor(std::nullopt))
                                      .arg(countFor(36500)));
            if (m_whileConfirming) m_whileConfirming();
            if (m_clearingAnswers.empty()) return std::nullopt;
            const auto answer = m_clearingAnswers.front();
            m_clearingAnswers.erase(m_clearingAnswers.begin());
            return answer;
        };
        services.askOverwrite = [this](const QString& prompt, QWidget*) {
            m_prompts.push_back(prompt);
            return OverwriteDecision::YesToAll;
        };
        auto chooser = [this](QWidget*, const QString&, const QString&, QWidget* extra) {
            if (m_whileChoosing) m_whileChoosing(extra);
            return QString::fromStdString(m_chosenFolder);
        };
        auto window = std::make_unique<CTapelinkDlg>(m_settings, m_locator, m_messages, chooser, services);
        window->show();
        if (!waitForListing(*window)) qWarning("the first listing never came");
        return window;
    }
    static QStringList marks(CTapelinkDlg& window) {
        QStringList texts;
        auto* model = window.listView()->model();
        for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, 8).data().toString();
        return texts;
    }
    static void waitIdle(CTapelinkDlg& window) {
        QTRY_VERIFY(!window.uploadRunning() && !window.archive().isBusy() && !window.listingPending());
    }
    // "state replaced_name" of every row of a file name, oldest first.
    QStringList catalogueRows(const std::string& fileName) const {
        sqlite3* db = nullptr;
        QStringList rows;
        sqlite3_open_v2((uploads() + "/.tapelink/catalogue.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT state, replaced_name FROM recordings WHERE file_name = ?1 ORDER BY id", -1,
                           &statement, nullptr);
        sqlite3_bind_text(statement, 1, fileName.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows << QStringLiteral("%1 %2")
                        .arg(sqlite3_column_int(statement, 0))
                        .arg(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

private slots:
    void init() {
        m_folder = std::make_unique<TempFolder>();
        m_settings = SettingsStore();
        m_settings.Load(m_folder->path() + "config.ini");
        m_locator = FakeLocator();
        m_messages = RecordingMessages();
        m_questions.clear();
        m_prompts.clear();
        m_clearingAnswers.clear();
        m_whileConfirming = nullptr;
        m_whileChoosing = nullptr;
        m_confirmAnswer = true;
        m_chosenFolder = uploads();
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

        // First only what started more than a hundred years ago (nothing), then everything verified; the rule
        // chosen is offered again next time.
        m_clearingAnswers = {36500, std::nullopt};
        m_messages.texts.clear();
        window->action(cmd::kDeleteArchived)->trigger();
        waitIdle(*window);
        QCOMPARE(window->listTexts().rowCount(), 3);
        window->action(cmd::kDeleteArchived)->trigger();
        waitIdle(*window);
        QCOMPARE(m_questions, (std::vector<QString>{"- 2 0", "36500 2 0"}));
        QCOMPARE(window->archive().preferences().clearOlderThanDays, std::optional<int>());
        QCOMPARE(VolumeBuilder::sortedNames(phoneRoot() + "voice"), std::vector<std::string>{"VOA00001.WAV"});
        QCOMPARE(window->listTexts().rowCount(), 1);
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).recordingCount(), 1);
    }

    void yesToAllOverAnArchivedRecordingKeepsTheOldFileAsideAndSkipsIdenticalOnes() {
        auto window = makeWindow();
        window->action(cmd::kUploadNew)->trigger();
        waitIdle(*window);
        const auto oldBytes = VolumeBuilder::readBytes(uploads() + "/VOA00001.WAV");
        // The telephone's counter started again: a new recording under an archived name.
        VolumeBuilder::writeRecording(phoneRoot() + "voice/VOA00001.WAV",
                                      VolumeBuilder::info('Z', "999", 12, 1, 2, 3, 4));
        window->onPhoneRescan();
        waitIdle(*window);

        m_messages.texts.clear();
        window->action(cmd::kUploadAll)->trigger();
        waitIdle(*window);
        QCOMPARE(m_prompts.size(), std::size_t(1));  // 全是 at the first existing file
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));
        QCOMPARE(VolumeBuilder::readBytes(uploads() + "/VOA00001.WAV"),
                 VolumeBuilder::readBytes(phoneRoot() + "voice/VOA00001.WAV"));
        std::vector<fs::path> aside;
        for (const auto& entry : fs::directory_iterator(uploads() + "/.tapelink/replaced")) aside.push_back(entry);
        QCOMPARE(aside.size(), std::size_t(1));
        QCOMPARE(VolumeBuilder::readBytes(aside[0]), oldBytes);
        const QString asideName = QString::fromStdString(aside[0].filename().string());
        QCOMPARE(catalogueRows("VOA00001.WAV"), (QStringList{"2 " + asideName, "0 "}));
        // The identical recordings kept their files and their single rows.
        QCOMPARE(catalogueRows("VOA00002.WAV"), QStringList{"0 "});
        QTRY_COMPARE(marks(*window), (QStringList{"已存档", "已存档", "已存档"}));
    }

    void aFolderOnTheTelephoneIsRefusedAndClearingChecksAgainAfterTheConfirmation() {
        auto window = makeWindow();
        m_chosenFolder = phoneRoot() + "voice";
        window->action(cmd::kUploadNew)->trigger();
        waitIdle(*window);
        QCOMPARE(m_messages.texts.size(), std::size_t(1));
        QVERIFY(m_messages.texts[0].find("上传路径“" + phoneRoot() + "voice”在电话机上") != std::string::npos);
        QCOMPARE(window->settingsCopy().uploadFolder(), std::string());
        QVERIFY(!fs::exists(phoneRoot() + "voice/.tapelink"));
        QCOMPARE(VolumeBuilder::sortedNames(phoneRoot() + "voice").size(), std::size_t(3));

        m_chosenFolder = uploads();
        window->action(cmd::kUploadNew)->trigger();
        waitIdle(*window);
        // The copy of VOA00002 goes while the user looks at the confirmation: that recording stays.
        m_clearingAnswers = {std::nullopt};
        m_whileConfirming = [this] { fs::remove(uploads() + "/VOA00002.WAV"); };
        m_messages.texts.clear();
        window->action(cmd::kDeleteArchived)->trigger();
        waitIdle(*window);
        QCOMPARE(m_questions.back(), QStringLiteral("- 3 0"));
        QCOMPARE(VolumeBuilder::sortedNames(phoneRoot() + "voice"), std::vector<std::string>{"VOA00002.WAV"});
        QCOMPARE(VolumeBuilder::headerOnDisk(phoneRoot()).recordingCount(), 1);
        QCOMPARE(m_messages.texts,
                 (std::vector<std::string>{"未删除 VOA00002.WAV：存档中缺失\n"
                                           "已删除 2 条录音，保留 1 条未能确认存档的录音（存档中缺失 1 条）。"}));
        QCOMPARE(m_messages.icons.back(), MessageIcon::Information);
        QCOMPARE(window->listTexts().rowCount(), 1);
    }

    void theClearingConfirmationCountsByTheRuleAsItIsChosen() {
        CClearArchivedDlg dialog([](std::optional<int> days) { return !days ? 5 : *days <= 10 ? 3 : 0; }, std::nullopt);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* question = dialog.findChild<QLabel*>("question");
        auto* ok = dialog.findChild<QPushButton*>("1");
        QCOMPARE(question->text(), QStringLiteral("将从电话机删除 5 条已存档的录音，确定吗？"));
        QVERIFY(!dialog.findChild<QSpinBox*>("days")->isEnabled());

        auto* olderOnly = dialog.findChild<QCheckBox*>("olderOnly");
        QTest::mouseClick(olderOnly, Qt::LeftButton, {}, QPoint(4, olderOnly->height() / 2));
        QCOMPARE(question->text(), QStringLiteral("没有符合条件的已存档录音。"));  // 30 days by default
        QVERIFY(!ok->isEnabled());
        auto* days = dialog.findChild<QSpinBox*>("days");
        days->setFocus();
        QTest::keyClick(days, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(days, "10");
        QCOMPARE(question->text(), QStringLiteral("将从电话机删除 3 条已存档的录音，确定吗？"));
        // Every control and its whole text inside the dialog, the question on its lines.
        for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(dialog.rect().contains(child->geometry()), qPrintable(child->objectName()));
        }
        const QRect needed =
            question->fontMetrics().boundingRect(question->contentsRect(), Qt::TextWordWrap, question->text());
        QVERIFY(needed.height() <= question->contentsRect().height());
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.choice(), std::optional<int>(10));
    }

    void verifyReportsAChangedFileAndTheAutomaticUploadIsRemembered() {
        {
            auto window = makeWindow();
            window->action(cmd::kUploadNew)->trigger();
            waitIdle(*window);
            window->action(cmd::kUploadNewOnArrival)->trigger();
            QVERIFY(window->archive().preferences().uploadNewOnArrival);
            // All good is news, not a warning.
            m_messages = RecordingMessages();
            window->action(cmd::kVerifyArchive)->trigger();
            waitIdle(*window);
            QCOMPARE(m_messages.texts.size(), std::size_t(1));
            QVERIFY(m_messages.texts[0].rfind("存档校验完毕", 0) == 0);
            QCOMPARE(m_messages.icons.back(), MessageIcon::Information);
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

    void compactingReplacesEachRecordingByItsRecordedCompactFile() {
        // Half of each recording stands in for its compact file: the window's part is the worker and the summary.
        class HalvingEncoder : public IAudioEncoder {
        public:
            bool encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                        std::string&) override {
                encoded.assign(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(original.size() / 2));
                return true;
            }
        };
        auto window = makeWindow(nullptr, [](MainWindowServices& changed) {
            changed.makeCompactEncoder = [] { return std::make_unique<HalvingEncoder>(); };
        });
        window->action(cmd::kUploadNew)->trigger();
        waitIdle(*window);
        m_messages = RecordingMessages();
        window->action(cmd::kCompactArchive)->trigger();
        waitIdle(*window);
        QCOMPARE(m_questions.size(), std::size_t(1));
        QCOMPARE(m_messages.texts.size(), std::size_t(1));
        QVERIFY(m_messages.texts[0].rfind("已压缩 3 个录音", 0) == 0);
        QCOMPARE(m_messages.icons.back(), MessageIcon::Information);
        for (const char* name : {"VOA00001", "VOA00002", "VOA00003"}) {
            QVERIFY(!fs::exists(uploads() + "/" + name + ".WAV"));
            QVERIFY(fs::exists(uploads() + "/" + name + ".opus"));
        }
        m_messages = RecordingMessages();
        window->action(cmd::kVerifyArchive)->trigger();
        waitIdle(*window);
        QCOMPARE(m_messages.texts.size(), std::size_t(1));
        QVERIFY(m_messages.texts[0].rfind("存档校验完毕，3 个文件全部完好", 0) == 0);
    }

    void theRuleIsChosenWithTheFolderAndKeptBesideConfig() {
        {
            auto window = makeWindow();
            QVERIFY(!window->archive().preferences().keepArchiveDays);
            m_whileChoosing = [](QWidget* extra) {
                QVERIFY(!extra->findChild<QCheckBox*>(QString::number(RetentionRuleBox::kKeepCheck))->isChecked());
                extra->findChild<QCheckBox*>(QString::number(RetentionRuleBox::kKeepCheck))->setChecked(true);
                extra->findChild<QSpinBox*>(QString::number(RetentionRuleBox::kKeepDays))->setValue(90);
            };
            window->action(cmd::kUploadFolder)->trigger();
            QCOMPARE(window->archive().preferences().keepArchiveDays, std::optional<int>(90));
        }
        QCOMPARE(fs::file_size(m_folder->path() + "config.ini"), std::uintmax_t(295));
        auto window = makeWindow();
        QCOMPARE(window->archive().preferences().keepArchiveDays, std::optional<int>(90));
        // Offered again as saved; cancelling the chooser keeps it even when the box was changed.
        std::optional<int> offered;
        m_whileChoosing = [&offered](QWidget* extra) {
            offered = qobject_cast<RetentionRuleBox*>(extra)->keepDays();
            extra->findChild<QCheckBox*>(QString::number(RetentionRuleBox::kKeepCheck))->setChecked(false);
        };
        m_chosenFolder.clear();
        window->action(cmd::kUploadFolder)->trigger();
        QCOMPARE(offered, std::optional<int>(90));
        QCOMPARE(window->archive().preferences().keepArchiveDays, std::optional<int>(90));
    }

    void theRulePreviewsFirstMovesOnlyOnConfirmationAndTheViewRestoresAndEmpties() {
        std::vector<QStringList> shown;  // the preview's rows as the dialog lists them
        bool move = false;
        CExpiredDlg::Choice viewChoice;
        std::vector<std::string> listed;
        auto window = makeWindow(nullptr, [&](MainWindowServices& changed) {
            changed.confirmRetention = [&](const RetentionPreview& preview, int days, QWidget* owner) {
                CRetentionPreviewDlg dialog(preview, days, owner);
                QStringList rows;
                for (int row = 0; row < dialog.table()->rowCount(); ++row)
                    rows << dialog.table()->item(row, 0)->text() + " " + dialog.table()->item(row, 3)->text();
                // Copied from the telephone: 移出 waits for the user to say they saw them.
                auto* moveButton = dialog.findChild<QPushButton*>(QStringLiteral("1"));
                rows << QString::number(moveButton->isEnabled());
                dialog.findChild<QCheckBox*>(QStringLiteral("seen"))->setChecked(true);
                rows << QString::number(moveButton->isEnabled());
                shown.push_back(rows);
                return move;
            };
            changed.showExpired = [&](const std::vector<CatalogueRecord>& rows, int, QWidget*) {
                listed.clear();
                for (const CatalogueRecord& row : rows) listed.push_back(row.fileName);
                return viewChoice;
            };
        });
        window->action(cmd::kUploadNew)->trigger();
        waitIdle(*window);
        const auto original = VolumeBuilder::readBytes(uploads() + "/VOA00002.WAV");
        {
            SqliteCatalogueOpener opener;
            CatalogueSession session(opener, uploads());
            QCOMPARE(session.open(CatalogueAccess::ReadWrite), CatalogueStatus::Ok);
            QCOMPARE(session.notes()->setNote("VOA00001.WAV", {"回电", {}}), CatalogueStatus::Ok);
        }

        // No rule yet: said so, nothing planned.
        m_messages = RecordingMessages();
        window->action(cmd::kExpireArchive)->trigger();
        waitIdle(*window);
        QCOMPARE(m_messages.texts.size(), std::size_t(1));
        QVERIFY(shown.empty());

        window->archive().setKeepArchiveDays(30);
        const QString phone = QStringLiteral(" 电话（电话上的副本可能已清除）");
        const QStringList planned = {"VOA00002.WAV" + phone, "VOA00003.WAV" + phone, "0", "1"};
        m_messages = RecordingMessages();
        window->action(cmd::kExpireArchive)->trigger();
        waitIdle(*window);
        QCOMPARE(shown, std::vector<QStringList>{planned});
        QVERIFY(m_messages.texts.empty());
        QCOMPARE(VolumeBuilder::sortedNames(uploads()),
                 (std::vector<std::string>{"VOA00001.WAV", "VOA00002.WAV", "VOA00003.WAV"}));

        move = true;
        window->action(cmd::kExpireArchive)->trigger();
        waitIdle(*window);
        QCOMPARE(shown.size(), std::size_t(2));
        QCOMPARE(m_messages.texts.size(), std::size_t(1));
        QVERIFY(m_messages.texts[0].rfind("已移出 2 个录音", 0) == 0);
        QCOMPARE(VolumeBuilder::sortedNames(uploads()), std::vector<std::string>{"VOA00001.WAV"});

        viewChoice = {CExpiredDlg::Choice::Action::Restore, {"VOA00002.WAV"}};
        window->action(cmd::kExpiredRecordings)->trigger();
        waitIdle(*window);
        QCOMPARE(listed, (std::vector<std::string>{"VOA00002.WAV", "VOA00003.WAV"}));
        QCOMPARE(VolumeBuilder::readBytes(uploads() + "/VOA00002.WAV"), original);
        QVERIFY(m_messages.texts.back().rfind("已恢复 1 个录音", 0) == 0);

        // 清空 asks first: refused, nothing goes; confirmed, the rest goes for good.
        viewChoice = {CExpiredDlg::Choice::Action::Purge, {}};
        m_confirmAnswer = false;
        window->action(cmd::kExpiredRecordings)->trigger();
        waitIdle(*window);
        QCOMPARE(listed, std::vector<std::string>{"VOA00003.WAV"});
        QVERIFY(m_questions.back().startsWith(QStringLiteral("将永久删除全部 1 个已过期的录音")));
        QCOMPARE(VolumeBuilder::sortedNames(uploads() + "/.tapelink/expired").size(), std::size_t(1));
        m_confirmAnswer = true;
        window->action(cmd::kExpiredRecordings)->trigger();
        waitIdle(*window);
        QVERIFY(m_messages.texts.back().rfind("已永久删除 1 个已过期的录音", 0) == 0);
        QVERIFY(VolumeBuilder::sortedNames(uploads() + "/.tapelink/expired").empty());
        QCOMPARE(VolumeBuilder::sortedNames(uploads()), (std::vector<std::string>{"VOA00001.WAV", "VOA00002.WAV"}));
    }

    void theExpiredViewClosesWithTheRowsChosenByClicks() {
        std::vector<CatalogueRecord> rows(3);
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i].fileName = "VOA0000" + std::to_string(i + 1) + ".WAV";
        CExpiredDlg view(rows, 30);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* restore = view.findChild<QPushButton*>(QStringLiteral("restore"));
        QVERIFY(!restore->isEnabled());
        QTableWidget* table = view.table();
        const auto clickRow = [table](int row, Qt::KeyboardModifiers modifiers) {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers,
                              table->visualItemRect(table->item(row, 0)).center());
        };
        clickRow(2, Qt::NoModifier);
        clickRow(0, Qt::ControlModifier);
        QVERIFY(restore->isEnabled());
        QTest::mouseClick(restore, Qt::LeftButton);
        QCOMPARE(view.result(), int(QDialog::Accepted));
        QCOMPARE(view.choice(),
                 (CExpiredDlg::Choice{CExpiredDlg::Choice::Action::Restore, {"VOA00001.WAV", "VOA00003.WAV"}}));
    }

    void aConnectionLostWhileReconcilingIsTold() {
        LostConnectionOpener lost;
        auto window = makeWindow(&lost);
        waitIdle(*window);
        m_messages = RecordingMessages();
        window->action(cmd::kVerifyArchive)->trigger();
        waitIdle(*window);
        QVERIFY(lost.openings > 0);
        const auto& texts = m_messages.texts;
        QVERIFY(std::find(texts.begin(), texts.end(), "与存档的连接已断开，请重试。") != texts.end());
    }
};

QTEST_MAIN(MainArchiveWiringTest)
#include "MainArchiveWiringTest.moc"
