#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "common/Sha256.h"
#include "contacts/ui/CNoteDlg.h"
#include "platform/PgTeamAdmin.h"
#include "platform/PgTeamArchive.h"
#include "search/ui/CQueryDlg.h"
#include "team/TeamArchiveSearch.h"
#include "team/TeamRecordingNotes.h"
#include "tests/support/RecordingMessages.h"
#include "tests/team/TeamServer.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

constexpr int kDeskColumn = static_cast<int>(kSearchColumnCount) + 1;

// The content key of the published recording; empty when publishing failed.
std::string publish(const TeamServer& server, const std::string& desk, const std::string& number) {
    const std::string audio = "RIFF" + desk + number;
    Sha256 digest;
    digest.update(audio.data(), audio.size());
    TeamRecording r;
    r.desk = desk;
    r.phoneSerial = "SN1";
    r.name = "VOA24061009300.WAV";
    r.number = number;
    r.direction = 'Z';
    r.kind = "A";
    r.startKey = "2406100930";
    r.size = audio.size();
    r.sha256 = digest.hexDigest();
    PgTeamArchive publisher(server.settings(server.role(desk)));
    return publisher.publish(r, audio, {}) == TeamStatus::Ok ? r.sha256 : std::string();
}

}  // namespace

class TeamSearchDlgTest : public QObject {
    Q_OBJECT

private slots:
    void listsTheGrantedDesksResultsWithTheirDesk() {
        TeamServer server;
        if (!server.available()) QSKIP("no PostgreSQL server: start one with scripts/pg-server.sh");
        {
            PgConnection connection(server.settings());
            const PgTeamAdmin admin(connection);
            QCOMPARE(admin.init(), TeamStatus::Ok);
            QCOMPARE(admin.addDesk("front", server.role("front")), TeamStatus::Ok);
            QCOMPARE(admin.addDesk("support", server.role("support")), TeamStatus::Ok);
            QCOMPARE(admin.addUser(server.role("alice")), TeamStatus::Ok);
            QCOMPARE(admin.grant(server.role("alice"), "front", "hear"), TeamStatus::Ok);
        }
        QVERIFY(!publish(server, "front", "13800131001").empty());
        QVERIFY(!publish(server, "support", "13800132002").empty());

        RecordingMessages messages;
        CQueryDlg dialog(nullptr, &messages);
        dialog.setTeamSearch(std::make_shared<TeamArchiveSearch>(
            [settings = server.settings(server.role("alice"))] { return std::make_unique<PgTeamArchive>(settings); }));
        dialog.show();
        auto* team = dialog.findChild<QCheckBox*>(QStringLiteral("team"));
        QVERIFY(team != nullptr && team->isVisible());
        team->setChecked(true);

        QSignalSpy finished(&dialog, &CQueryDlg::teamSearchFinished);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1025")), Qt::LeftButton);
        QVERIFY(finished.wait(20000));
        QVERIFY(messages.texts.empty());
        const QAbstractItemModel* model = dialog.findChild<QTableView*>(QStringLiteral("1026"))->model();
        QCOMPARE(model->headerData(kDeskColumn, Qt::Horizontal).toString(), QStringLiteral("工位"));
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, kDeskColumn).data().toString(), QStringLiteral("front"));
        QCOMPARE(model->index(0, kSearchNumberColumn).data().toString(), QStringLiteral("13800131001"));
        // Nothing of a team result is on this disk: the player is not handed its desk and name as a path.
        dialog.findChild<QTableView*>(QStringLiteral("1026"))->selectRow(0);
        QVERIFY(dialog.GetSelectedPath().empty());
    }

    void aNoteWriteTheServerRefusesIsToldAsRefusedAndTheWriterIsShownToOthers() {
        TeamServer server;
        if (!server.available()) QSKIP("no PostgreSQL server: start one with scripts/pg-server.sh");
        {
            PgConnection connection(server.settings());
            const PgTeamAdmin admin(connection);
            QCOMPARE(admin.init(), TeamStatus::Ok);
            QCOMPARE(admin.addDesk("front", server.role("front")), TeamStatus::Ok);
            QCOMPARE(admin.addDesk("sales", server.role("sales")), TeamStatus::Ok);
            QCOMPARE(admin.addUser(server.role("alice")), TeamStatus::Ok);
            QCOMPARE(admin.grant(server.role("alice"), "front", "hear"), TeamStatus::Ok);
            QCOMPARE(admin.grant(server.role("alice"), "front", "annotate"), TeamStatus::Ok);
            QCOMPARE(admin.grant(server.role("alice"), "sales", "hear"), TeamStatus::Ok);
        }
        const std::string front = publish(server, "front", "13800131001");
        const std::string sales = publish(server, "sales", "13800132002");
        QVERIFY(!front.empty() && !sales.empty());
        PgTeamArchive alice(server.settings(server.role("alice")));
        const auto write = [&alice](const std::string& desk, const std::string& sha256, RecordingMessages& messages) {
            TeamRecordingNotes notes(alice, desk, sha256);
            CNoteDlg dialog(notes, "VOA24061009300.WAV", &messages);
            dialog.findChild<QPlainTextEdit*>(QStringLiteral("note"))->setPlainText(QStringLiteral("回电"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
            return dialog.result();
        };

        RecordingMessages refused;
        QCOMPARE(write("sales", sales, refused), int(QDialog::Rejected));
        QCOMPARE(refused.texts.size(), std::size_t{1});
        QVERIFY(refused.texts[0].find("权限") != std::string::npos);
        PgTeamArchive salesDesk(server.settings(server.role("sales")));
        TeamRecordingNotes salesNotes(salesDesk, "sales", sales);
        RecordingNote stored;
        QCOMPARE(salesNotes.noteOf({}, stored), CatalogueStatus::Ok);
        QVERIFY(stored.empty());

        RecordingMessages saved;
        QCOMPARE(write("front", front, saved), int(QDialog::Accepted));
        QVERIFY(saved.texts.empty());
        PgTeamArchive frontDesk(server.settings(server.role("front")));
        TeamRecordingNotes frontNotes(frontDesk, "front", front);
        QCOMPARE(frontNotes.noteOf({}, stored), CatalogueStatus::Ok);
        QCOMPARE(stored.text, std::string("回电"));
        QCOMPARE(frontNotes.editedBy(), server.role("alice"));
        QVERIFY(!frontNotes.editedAt().empty());
    }

    void withoutATeamThereIsNeitherChoiceNorDeskColumn() {
        RecordingMessages messages;
        CQueryDlg dialog(nullptr, &messages);
        dialog.show();
        QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("team")) == nullptr);
        QCOMPARE(dialog.findChild<QTableView*>(QStringLiteral("1026"))->model()->columnCount(),
                 static_cast<int>(kSearchColumnCount) + 1);
    }

    void anUnreachableServerIsToldAndListsNothing() {
        RecordingMessages messages;
        CQueryDlg dialog(nullptr, &messages);
        dialog.setTeamSearch(std::make_shared<TeamArchiveSearch>(
            [] { return std::make_unique<PgTeamArchive>("host=/nonexistent-tapelink-socket connect_timeout=2"); }));
        dialog.findChild<QCheckBox*>(QStringLiteral("team"))->setChecked(true);
        QSignalSpy finished(&dialog, &CQueryDlg::teamSearchFinished);
        dialog.RunSearch();
        QVERIFY(finished.wait(20000));
        QCOMPARE(messages.texts.size(), std::size_t{1});
        QVERIFY(messages.texts[0].find("无法连接") != std::string::npos);
        QCOMPARE(dialog.findChild<QTableView*>(QStringLiteral("1026"))->model()->rowCount(), 0);
    }
};

QTEST_MAIN(TeamSearchDlgTest)
#include "TeamSearchDlgTest.moc"
