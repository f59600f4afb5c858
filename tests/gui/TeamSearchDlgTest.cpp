#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "app/ui/TeamAudioDecoder.h"
#include "common/Sha256.h"
#include "contacts/ui/CNoteDlg.h"
#include "platform/PgTeamArchive.h"
#include "search/TeamRecordingPath.h"
#include "search/ui/CQueryDlg.h"
#include "team/TeamArchiveSearch.h"
#include "team/TeamRecordingNotes.h"
#include "tests/support/RecordingMessages.h"
#include "tests/team/TeamServer.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

constexpr int kDeskColumn = static_cast<int>(kSearchColumnCount) + 1;

constexpr int kFrames = 800;

void putLittleEndian(std::string& to, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) to.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// A 16-bit mono PCM WAV of kFrames samples at 8 kHz whose samples differ with seed.
std::string waveOf(const std::string& seed) {
    std::string wave = "RIFF";
    putLittleEndian(wave, 36 + kFrames * 2, 4);
    wave += "WAVEfmt ";
    putLittleEndian(wave, 16, 4);
    putLittleEndian(wave, 1, 2);
    putLittleEndian(wave, 1, 2);
    putLittleEndian(wave, 8000, 4);
    putLittleEndian(wave, 16000, 4);
    putLittleEndian(wave, 2, 2);
    putLittleEndian(wave, 16, 2);
    wave += "data";
    putLittleEndian(wave, kFrames * 2, 4);
    for (int i = 0; i < kFrames; ++i) putLittleEndian(wave, static_cast<std::uint32_t>(seed[i % seed.size()]) * 50, 2);
    return wave;
}

class NoLocalDecoder : public IAudioDecoder {
public:
    bool decode(const std::string&, PcmAudio&, std::string& error) override {
        error = "local";
        return false;
    }
};

// The content key of the published recording; empty when publishing failed.
std::string publish(const TeamServer& server, const std::string& desk, const std::string& number) {
    const std::string audio = waveOf(number);
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
        std::string error;
        QVERIFY2(server.makeTeam({"front", "support"}, error), error.c_str());
        QVERIFY2(server.grant("alice", "front", "hear", error), error.c_str());
        QVERIFY(!publish(server, "front", "13800131001").empty());
        const std::string supportKey = publish(server, "support", "13800132002");
        QVERIFY(!supportKey.empty());

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
        // The player gets the result by desk and content and hears it from the server, not from this disk.
        dialog.findChild<QTableView*>(QStringLiteral("1026"))->selectRow(0);
        NoLocalDecoder local;
        TeamAudioDecoder decoder(
            local, [&server] { return std::make_unique<PgTeamArchive>(server.settings(server.role("alice"))); });
        PcmAudio audio;
        error.clear();
        QVERIFY2(decoder.decode(dialog.GetSelectedPath(), audio, error), error.c_str());
        QCOMPARE(audio.frames(), std::int64_t{kFrames});
        // A desk not granted is not heard either, named by hand.
        QVERIFY(!decoder.decode(teamRecordingPath("support", supportKey, "VOA24061009300.WAV"), audio, error));
        QVERIFY(error.find("权限") != std::string::npos);
        QVERIFY(!decoder.decode("/nowhere/VOA24061009300.WAV", audio, error));
        QCOMPARE(error, std::string("local"));
    }

    void aNoteWriteTheServerRefusesIsToldAsRefusedAndTheWriterIsShownToOthers() {
        TeamServer server;
        if (!server.available()) QSKIP("no PostgreSQL server: start one with scripts/pg-server.sh");
        std::string error;
        QVERIFY2(server.makeTeam({"front", "sales"}, error), error.c_str());
        for (const auto& [desk, right] : {std::pair{"front", "hear"}, {"front", "annotate"}, {"sales", "hear"}}) {
            QVERIFY2(server.grant("alice", desk, right, error), error.c_str());
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
