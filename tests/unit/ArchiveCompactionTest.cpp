// The order of a compaction at the catalogue's refusal: a compact file the catalogue could not record is
// taken away again and the original stays; a run that finds an original beside its recorded compact file
// finishes it. The encoder halves the bytes: what matters here is the order of the steps, not Opus.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/CatalogueReconciler.h"
#include "compaction/ArchiveCompaction.h"
#include "platform/SqliteCatalogueOpener.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class HalvingEncoder : public IAudioEncoder {
public:
    bool encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded, std::string&) override {
        encoded.assign(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(original.size() / 2));
        return true;
    }
};

// The archive's catalogue, refusing every change once refuse is set.
class RefusingCatalogue : public IArchiveCatalogue {
public:
    explicit RefusingCatalogue(IArchiveCatalogue& real) : m_real(real) {}
    bool refuse = false;
    bool writable() const override { return true; }
    CatalogueStatus liveRecords(std::vector<CatalogueRecord>& out) override { return m_real.liveRecords(out); }
    CatalogueStatus liveFileStates(std::vector<CatalogueFileState>& out) override { return m_real.liveFileStates(out); }
    CatalogueStatus findByContent(const ContentKey& key, std::vector<CatalogueRecord>& out) override {
        return m_real.findByContent(key, out);
    }
    CatalogueStatus findOrigin(const PhoneOrigin& origin, bool& archived) override {
        return m_real.findOrigin(origin, archived);
    }
    CatalogueStatus findByName(const std::string& name, std::optional<CatalogueRecord>& out) override {
        return m_real.findByName(name, out);
    }
    CatalogueStatus apply(const CatalogueChanges& changes) override {
        return refuse ? CatalogueStatus::Failed : m_real.apply(changes);
    }
    CatalogueStatus withSnapshot(const std::function<void()>& lookups) override { return m_real.withSnapshot(lookups); }

private:
    IArchiveCatalogue& m_real;
};

}  // namespace

class ArchiveCompactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(archive());
        for (const char* name : {"VOA00001.WAV", "VOA00002.WAV"}) {
            VolumeBuilder::writeRecording(archive() + name, VolumeBuilder::info('B', "138", 21, 3, 4, 5, 6), 9000);
        }
        opening = opener.open(archive(), CatalogueAccess::ReadWrite);
        ASSERT_TRUE(opening.catalogue);
        ASSERT_EQ(reconcileCatalogue(*opening.catalogue, archive(), {}).added, 2);
    }
    std::string archive() const { return folder.path() + "archive/"; }

    TempFolder folder;
    SqliteCatalogueOpener opener;
    CatalogueOpening opening;
    HalvingEncoder encoder;
};

TEST_F(ArchiveCompactionTest, ACompactFileTheCatalogueRefusedIsTakenAwayAndTheOriginalStays) {
    const auto original = VolumeBuilder::readBytes(archive() + "VOA00001.WAV");
    RefusingCatalogue refusing(*opening.catalogue);
    refusing.refuse = true;
    const CompactionReport report = ArchiveCompaction(refusing, archive(), encoder).run({}, {});
    EXPECT_NE(report.status, CatalogueStatus::Ok);
    EXPECT_EQ(report.compacted, 0);
    EXPECT_EQ(VolumeBuilder::sortedNames(archive()), (std::vector<std::string>{"VOA00001.WAV", "VOA00002.WAV"}));
    EXPECT_EQ(VolumeBuilder::readBytes(archive() + "VOA00001.WAV"), original);
}

TEST_F(ArchiveCompactionTest, AnOriginalLeftBesideItsRecordedCompactFileIsRemovedByTheNextRun) {
    const auto original = VolumeBuilder::readBytes(archive() + "VOA00001.WAV");
    ASSERT_EQ(ArchiveCompaction(*opening.catalogue, archive(), encoder).run({}, {}).compacted, 2);
    // As a run killed after recording the compact file and before removing the original leaves it; beside
    // the other compact file lies another file under its original's name, which is not the recording.
    VolumeBuilder::writeBytes(archive() + "VOA00001.WAV", original);
    const std::vector<std::uint8_t> stranger(9000, 0x22);
    VolumeBuilder::writeBytes(archive() + "VOA00002.WAV", stranger);
    const CompactionReport again = ArchiveCompaction(*opening.catalogue, archive(), encoder).run({}, {});
    EXPECT_EQ(again.planned, 2);
    EXPECT_EQ(again.compacted, 1);
    ASSERT_EQ(again.failures.size(), 1u);
    EXPECT_EQ(again.failures[0].fileName, "VOA00002.WAV");
    EXPECT_EQ(VolumeBuilder::sortedNames(archive()),
              (std::vector<std::string>{"VOA00001.opus", "VOA00002.WAV", "VOA00002.opus"}));
    EXPECT_EQ(VolumeBuilder::readBytes(archive() + "VOA00002.WAV"), stranger);
    std::optional<CatalogueRecord> row;
    ASSERT_EQ(opening.catalogue->findByName("VOA00001.WAV", row), CatalogueStatus::Ok);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->compactName, "VOA00001.opus");
    EXPECT_EQ(row->size, original.size());
}

TEST(CompactionPlanTest, TakesOnlyVerifiedCallsOlderThanTheDaysAsked) {
    std::tm noon{};
    noon.tm_year = 2026 - 1900;
    noon.tm_mon = 6;  // July: no clock change within the month anywhere that has one
    noon.tm_mday = 31;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    const CompactionChoice choice{30, std::mktime(&noon)};  // the cutoff: 2026-07-01 12:00, local time
    const auto row = [](const std::string& name, const std::string& start, RecordState state = RecordState::Present) {
        CatalogueRecord record;
        record.fileName = name;
        record.hasInfo = !start.empty();
        record.startKey = start;
        record.state = state;
        return record;
    };
    const std::vector<CatalogueRecord> rows = {row("VOA00004.WAV", "2607011159"),
                                               row("VOA00001.WAV", "2607011200"),
                                               row("VOA00002.WAV", "2512310900"),
                                               row("VOA00003.WAV", ""),
                                               row("VOA00005.WAV", "2501010000", RecordState::Changed),
                                               row("VOA00006.WAV", "2501010000", RecordState::Missing)};
    std::vector<std::string> planned;
    for (const CatalogueRecord& record : planCompaction(rows, choice)) planned.push_back(record.fileName);
    EXPECT_EQ(planned, (std::vector<std::string>{"VOA00002.WAV", "VOA00004.WAV"}));
    EXPECT_EQ(planCompaction(rows, {0, choice.now}).size(), 4u);  // no cutoff: every present row
}
