#include "team/TeamPublisher.h"

#include <gtest/gtest.h>

#include "platform/SqliteCatalogueOpener.h"
#include "tests/support/FakeTeamArchive.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;

// Recordings go in batches; a batch the server fails is sent again one recording at a time, so that the one it
// will not take holds back no other, and what it took is not sent again.
TEST(TeamPublisherTest, ARecordingTheServerWillNotTakeHoldsBackNoOtherOfItsBatch) {
    TempFolder folder;
    for (int i = 1; i <= 3; ++i) {
        VolumeBuilder::writeRecording(folder.path() + "VOA0000" + std::to_string(i) + ".WAV",
                                      VolumeBuilder::info('Z', "1380013000" + std::to_string(i), 24, 6, 1, 9, 30));
    }
    SqliteCatalogueOpener opener;
    CatalogueSession archive(opener, folder.path());
    ASSERT_EQ(archive.openReconciled(), CatalogueStatus::Ok);
    FakeTeamArchive team;
    team.failingName = "VOA00002.WAV";

    PublishReport report = TeamPublisher(archive, team, "front").publish();
    EXPECT_EQ(report.status, TeamStatus::Failed);
    EXPECT_EQ(report.published, 2U);
    EXPECT_EQ(report.unpublished, 1U);
    EXPECT_EQ(team.batchSizes, (std::vector<std::size_t>{3, 1, 1, 1}));

    team.failingName.clear();
    report = TeamPublisher(archive, team, "front").publish();
    EXPECT_EQ(report.status, TeamStatus::Ok);
    EXPECT_EQ(report.published, 1U);
    EXPECT_EQ(team.stored.size(), 3U);
    EXPECT_EQ(team.batchSizes.back(), 1U);
}
