// The main window on a desk of a team, against the private PostgreSQL server: its uploads publish to the
// team archive on their worker, an unreachable server never fails an upload, and "删除已存档录音" waits for
// the server to hold each recording.
#include <QAction>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "app/ui/MainArchiveController.h"
#include "platform/PgTeamArchive.h"
#include "settings/SettingsStore.h"
#include "team/TeamStatusText.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/team/TeamServer.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

// libpq settings of a server that is not there: the connection fails at once.
constexpr const char* kNoServer = "host=/nonexistent/socket dbname=none connect_timeout=1";

// The summary of an upload of the three recordings that could not be published.
const std::string unpublishedSummary =
    std::string("传输完毕！\n团队存档：已发布 0 个，尚未发布 3 个，下次上传时补发。") +
    teamStatusText(TeamStatus::ConnectionLost);

}  // namespace

class TeamUploadWiringTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_folder;
    std::unique_ptr<TeamServer> m_server;
    SettingsStore m_settings;
    FakeLocator m_locator;
    RecordingMessages m_messages;
    std::string m_reach;               // the libpq settings the window's connections use now
    std::function<void()> m_onPrompt;  // run while the overwrite prompt is up

    std::string phoneRoot() const { return m_folder->path() + "phone/"; }
    std::string uploads() const { return m_folder->path() + "uploads"; }
    std::string held() const { return m_server->psql("postgres", "SELECT count(*) FROM tapelink.recordings"); }
    long onPhone() const {
        return std::count_if(fs::directory_iterator(phoneRoot() + "voice"), fs::directory_iterator(),
                             [](const fs::directory_entry& entry) { return entry.path().extension() == ".WAV"; });
    }

    std::unique_ptr<CTapelinkDlg> makeWindow() {
        MainWindowServices services = servicesWithCatalogues();
        services.openTeamArchive = [this]() -> std::unique_ptr<ITeamArchive> {
            return std::make_unique<PgTeamArchive>(m_reach);
        };
        services.team = {m_reach, "front", true};
        services.askOverwrite = [this](const QString&, QWidget*) {
            if (m_onPrompt) m_onPrompt();
            return OverwriteDecision::No;
        };
        // Every recording the confirmation counts.
        services.chooseClearing = [](const CClearArchivedDlg::CountFor&, CClearArchivedDlg::Choice, QWidget*) {
            return std::optional<CClearArchivedDlg::Choice>(CClearArchivedDlg::Choice{});
        };
        auto chooser = [this](QWidget*, const QString&, const QString&, QWidget*) {
            return QString::fromStdString(uploads());
        };
        auto window = std::make_unique<CTapelinkDlg>(m_settings, m_locator, m_messages, chooser, services);
        window->show();
        if (!waitForListing(*window)) qWarning("the first listing never came");
        return window;
    }
    void run(CTapelinkDlg& window, int command) {
        m_messages = RecordingMessages();
        window.action(command)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!window.uploadRunning() && !window.archive().isBusy() && !window.listingPending(),
                                 20000);
    }

private slots:
    void init() {
        m_server = std::make_unique<TeamServer>();
        if (!m_server->available()) QSKIP("no PostgreSQL server: start one with scripts/pg-server.sh");
        std::string error;
        QVERIFY2(m_server->makeTeam({"front"}, error), error.c_str());
        m_reach = m_server->settings(m_server->role("front"));
        m_folder = std::make_unique<TempFolder>();
        m_settings = SettingsStore();
        m_settings.Load(m_folder->path() + "config.ini");
        fs::create_directory(uploads());
        buildPhone(phoneRoot(), 3);
        m_locator = FakeLocator();
        m_locator.root = phoneRoot();
        m_onPrompt = nullptr;
    }
    void cleanup() { m_server.reset(); }

    void uploadAllPublishesWhatItCopiedOrSaysWhatStaysUnpublished() {
        m_reach = kNoServer;
        auto window = makeWindow();
        run(*window, cmd::kUploadAll);
        QCOMPARE(m_messages.texts, (std::vector<std::string>{unpublishedSummary}));
        QCOMPARE(m_messages.icons, (std::vector<MessageIcon>{MessageIcon::Warning}));
        QCOMPARE(VolumeBuilder::sortedNames(uploads()).size(), std::size_t(3));

        // Again with the server there: the copies are kept as they are, and what they hold is published.
        m_reach = m_server->settings(m_server->role("front"));
        run(*window, cmd::kUploadAll);
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));
        QCOMPARE(held(), std::string("3\n"));
    }

    void stopEndsThePublishingAfterTheCopiesToo() {
        auto window = makeWindow();
        // The last row is in the folder already: its prompt comes after the other two are copied.
        VolumeBuilder::writeBytes(uploads() + "/" + window->listTexts().cellText(2, 1), {'o', 'l', 'd'});
        m_onPrompt = [&window] { window->stopButton()->click(); };
        run(*window, cmd::kUploadAll);
        // The two copies and the file kept in the folder all wait for the next upload.
        QCOMPARE(m_messages.texts,
                 (std::vector<std::string>{"传输完毕！\n团队存档：已发布 0 个，尚未发布 3 个，下次上传时补发。"}));
        QCOMPARE(held(), std::string("0\n"));
    }

    void anUnreachableServerFailsNoUploadAndClearingWaitsForTheServer() {
        m_reach = kNoServer;
        auto window = makeWindow();
        run(*window, cmd::kUploadNew);
        QCOMPARE(m_messages.texts, (std::vector<std::string>{unpublishedSummary}));
        QCOMPARE(m_messages.icons, (std::vector<MessageIcon>{MessageIcon::Warning}));
        QCOMPARE(VolumeBuilder::sortedNames(uploads()).size(), std::size_t(3));

        // Nothing goes while the server can't be asked, nor while it does not hold the recordings.
        run(*window, cmd::kDeleteArchived);
        QCOMPARE(m_messages.texts.back(), teamStatusText(TeamStatus::ConnectionLost) + kTeamServerUnconfirmed);
        QCOMPARE(onPhone(), 3L);
        m_reach = m_server->settings(m_server->role("front"));
        run(*window, cmd::kDeleteArchived);
        QVERIFY(m_messages.texts.back().find("团队存档服务器尚未确认保存 3 条") != std::string::npos);
        QCOMPARE(onPhone(), 3L);

        // The next upload catches up, even with nothing new to copy; then the telephone may be cleared.
        run(*window, cmd::kUploadNew);
        QCOMPARE(m_messages.texts, (std::vector<std::string>{"传输完毕！"}));
        QCOMPARE(held(), std::string("3\n"));
        run(*window, cmd::kDeleteArchived);
        QCOMPARE(onPhone(), 0L);
    }
};

QTEST_MAIN(TeamUploadWiringTest)
#include "TeamUploadWiringTest.moc"
