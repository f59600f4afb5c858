#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <future>

#include "archive/ArchiveLayout.h"
#include "archive/ArchiveNames.h"
#include "archive/StampedName.h"
#include "catalogue/ArchiveMarks.h"
#include "catalogue/ArchiveVerify.h"
#include "catalogue/ArchivedClearing.h"
#include "catalogue/ArchivedRecordings.h"
#include "catalogue/CatalogueLedger.h"
#include "catalogue/CatalogueReconciler.h"
#include "catalogue/NewRecordingOffload.h"
#include "phone/CatalogueScan.h"
#include "platform/ArchiveWriteLock.h"
#include "platform/CatalogueRebuild.h"
#include "platform/OldCatalogues.h"
#include "platform/SqliteArchiveCatalogue.h"
#include "platform/SqliteCatalogueFiles.h"
#include "platform/SqliteCatalogueOpener.h"
#include "tests/support/LostConnectionOpener.h"
#include "tests/support/ScriptedUploadObserver.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class CollectedList : public ICatalogueView {
public:
    void setStatusText(const std::string&) override {}
    void clearRows() override { entries.clear(); }
    void addRecordingRow(const RecordingEntry& entry, int) override { entries.push_back(entry); }
    std::vector<RecordingEntry> entries;
};

class NullSink : public IMessageSink {
public:
    void showMessage(const std::string&, MessageIcon) override {}
};

}  // namespace

class ArchiveCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        VolumeBuilder volume(phone());
        volume.writeIndex(VolumeBuilder::header());
        fs::create_directories(archive());
    }

    std::string phone() const { return folder.path() + "phone/"; }
    std::string archive() const { return folder.path() + "archive/"; }
    std::string cataloguePath() const { return catalogueFolderOf(archive()) + kCatalogueFileName; }

    void record(const std::string& name, const std::string& number, int minute, std::size_t size = 4532) const {
        VolumeBuilder::writeRecording(phone() + "voice/" + name, VolumeBuilder::info('B', number, 21, 3, 4, 5, minute),
                                      size);
    }
    std::vector<RecordingEntry> scan() const {
        PhoneIndexHeader header;
        CollectedList list;
        NullSink sink;
        ScanCatalogue(phone(), header, list, sink);
        return list.entries;
    }
    std::shared_ptr<SqliteArchiveCatalogue> open() {
        CatalogueOpening opening = opener.open(archive(), CatalogueAccess::ReadWrite);
        lastSetAside = opening.setAsidePath;
        return std::static_pointer_cast<SqliteArchiveCatalogue>(opening.catalogue);
    }
    OffloadReport offload(IArchiveCatalogue& catalogue) {
        ScriptedUploadObserver observer;
        const std::atomic<bool> noStop{false};
        return NewRecordingOffload(catalogue, archive(), {"test", {}}).run(phone(), scan(), {}, noStop, observer);
    }
    std::vector<std::string> marks(IArchiveCatalogue& catalogue) const {
        std::vector<std::string> texts;
        ArchiveMarker marker(catalogue, {});
        for (const RecordingEntry& entry : scan()) texts.push_back(archiveMarkText(marker.markOf(entry)));
        return texts;
    }
    std::optional<CatalogueRecord> row(IArchiveCatalogue& catalogue, const std::string& name) const {
        std::optional<CatalogueRecord> found;
        catalogue.findByName(name, found);
        return found;
    }

    TempFolder folder;
    SqliteCatalogueOpener opener;
    std::string lastSetAside;
};

TEST_F(ArchiveCatalogueTest, OffloadCopiesOnlyNewContentAndGivesClashingNamesTheNextSuffix) {
    record("VOA00001.WAV", "111", 1);
    record("VOA00002.WAV", "222", 2);
    auto catalogue = open();
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(offload(*catalogue).archived, 2);
    EXPECT_EQ(marks(*catalogue), (std::vector<std::string>{"已存档", "已存档"}));

    // The telephone's counter started again: a different recording under an archived name.
    record("VOA00001.WAV", "333", 3);
    VolumeBuilder::writeBytes(archive() + "VOA00001-2.WAV", {'h', 'a', 'n', 'd'});  // taken by hand meanwhile
    const auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(marks(*catalogue)), (std::vector<std::string>{"同名不同", "已存档"}));
    const OffloadReport second = offload(*catalogue);
    EXPECT_EQ(second.archived, 1);
    EXPECT_EQ(second.alreadyArchived, 1);
    EXPECT_EQ(VolumeBuilder::readBytes(archive() + "VOA00001-3.WAV"),
              VolumeBuilder::readBytes(phone() + "voice/VOA00001.WAV"));
    EXPECT_EQ(VolumeBuilder::readBytes(archive() + "VOA00001-2.WAV"), (std::vector<std::uint8_t>{'h', 'a', 'n', 'd'}));
    EXPECT_EQ(row(*catalogue, "VOA00001-3.WAV")->phoneNumber, "333");
    EXPECT_EQ(offload(*catalogue).archived, 0);
}

TEST_F(ArchiveCatalogueTest, ReconcileHashesOnlyWhatChangedAndKeepsRowsOfGoneFiles) {
    record("VOA00001.WAV", "111", 1);
    record("VOA00002.WAV", "222", 2);
    auto catalogue = open();
    offload(*catalogue);
    fs::copy_file(phone() + "voice/VOA00001.WAV", archive() + "VOB00009.WAV");  // added by hand
    fs::remove(archive() + "VOA00002.WAV");
    const ReconcileReport first = reconcileCatalogue(*catalogue, archive(), {});
    EXPECT_EQ(first.added, 1);
    EXPECT_EQ(first.missing, 1);
    EXPECT_EQ(first.unchanged, 1);
    EXPECT_EQ(row(*catalogue, "VOA00002.WAV")->state, RecordState::Missing);
    EXPECT_EQ(row(*catalogue, "VOB00009.WAV")->archivedBy, "found");

    // Content changed behind the catalogue's back: the row keeps the archived digest, marked changed.
    const std::string archivedDigest = row(*catalogue, "VOA00001.WAV")->sha256;
    auto bytes = VolumeBuilder::readBytes(archive() + "VOA00001.WAV");
    bytes[1000] ^= 0xFF;
    VolumeBuilder::writeBytes(archive() + "VOA00001.WAV", bytes);
    const ReconcileReport second = reconcileCatalogue(*catalogue, archive(), {});
    EXPECT_EQ(second.changed, 1);
    EXPECT_EQ(second.unchanged, 1);
    EXPECT_EQ(row(*catalogue, "VOA00001.WAV")->sha256, archivedDigest);
    EXPECT_EQ(row(*catalogue, "VOA00001.WAV")->state, RecordState::Changed);
    const VerifyReport verified = verifyArchive(*catalogue, archive(), {});
    EXPECT_EQ(verified.changed, std::vector<std::string>{"VOA00001.WAV"});
    EXPECT_EQ(verified.missing, std::vector<std::string>{"VOA00002.WAV"});
    EXPECT_FALSE(verified.allGood());
}

TEST_F(ArchiveCatalogueTest, OneFileIsCataloguedAloneAndOnlyAnArchiveFileCounts) {
    record("VOA00001.WAV", "111", 1);
    fs::copy_file(phone() + "voice/VOA00001.WAV", archive() + "VOA00001.WAV");
    fs::copy_file(phone() + "voice/VOA00001.WAV", archive() + "VOA00002.WAV");
    auto catalogue = open();
    ASSERT_EQ(catalogueOneFile(*catalogue, archive(), "VOA00002.WAV"), CatalogueStatus::Ok);
    EXPECT_EQ(row(*catalogue, "VOA00002.WAV")->phoneNumber, "111");
    EXPECT_FALSE(row(*catalogue, "VOA00001.WAV"));
    EXPECT_EQ(catalogueOneFile(*catalogue, archive(), "../archive/VOA00001.WAV"), CatalogueStatus::Failed);
    EXPECT_EQ(catalogueOneFile(*catalogue, archive(), "VOA00009.WAV"), CatalogueStatus::Failed);
}

TEST_F(ArchiveCatalogueTest, UnreadableCatalogueIsSetAsideAndRebuiltNewerOneIsLeftAlone) {
    record("VOA00001.WAV", "111", 1);
    {
        auto catalogue = open();
        offload(*catalogue);
    }
    VolumeBuilder::writeBytes(cataloguePath(), std::vector<std::uint8_t>(4096, 0x5A));
    auto rebuilt = open();
    ASSERT_TRUE(rebuilt);
    ASSERT_FALSE(lastSetAside.empty());
    EXPECT_EQ(VolumeBuilder::readBytes(lastSetAside), std::vector<std::uint8_t>(4096, 0x5A));
    EXPECT_EQ(reconcileCatalogue(*rebuilt, archive(), {}).added, 1);
    EXPECT_EQ(marks(*rebuilt), std::vector<std::string>{"已存档"});
    rebuilt.reset();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(cataloguePath().c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const CatalogueOpening newer = opener.open(archive(), CatalogueAccess::ReadWrite);
    EXPECT_FALSE(newer.catalogue);
    EXPECT_EQ(newer.status, CatalogueStatus::NewerVersion);
    EXPECT_TRUE(newer.setAsidePath.empty());
}

TEST_F(ArchiveCatalogueTest, OverwriteKeepsTheOldFileAsideAndIdenticalContentIsLeftAlone) {
    record("VOA00001.WAV", "111", 1);
    auto catalogue = open();
    offload(*catalogue);
    const auto archived = VolumeBuilder::readBytes(archive() + "VOA00001.WAV");
    CatalogueLedger ledger(*catalogue, archive(), "upload");
    EXPECT_EQ(ledger.beforeReplace("VOA00001.WAV", row(*catalogue, "VOA00001.WAV")->sha256), ReplaceVerdict::Identical);
    EXPECT_EQ(ledger.beforeReplace("VOA00001.WAV", std::string(64, '0')), ReplaceVerdict::Replace);
    EXPECT_FALSE(fs::exists(archive() + "VOA00001.WAV"));
    std::vector<CatalogueRecord> rows;
    catalogue->liveRecords(rows);
    EXPECT_TRUE(rows.empty());
    const auto aside = fs::directory_iterator(replacedFolderOf(archive()))->path();
    EXPECT_EQ(VolumeBuilder::readBytes(aside), archived);
}

TEST_F(ArchiveCatalogueTest, RebuildCarriesOverThePhonebookNotesAndTheStateOfChangedAndGoneFiles) {
    record("VOA00001.WAV", "111", 1);
    record("VOA00002.WAV", "222", 2);
    record("VOA00003.WAV", "333", 3);
    record("VOA00004.WAV", "444", 4);
    {
        auto catalogue = open();
        offload(*catalogue);
        Contact contact{0, "王伟", {"111"}, "某公司"};
        ASSERT_EQ(catalogue->phonebook().save(contact), CatalogueStatus::Ok);
        ASSERT_EQ(catalogue->notes().setNote("VOA00001.WAV", {"回访", {"重要"}}), CatalogueStatus::Ok);
        ASSERT_EQ(catalogue->notes().setNote("VOA00002.WAV", {"旧的", {}}), CatalogueStatus::Ok);
        ASSERT_EQ(catalogue->notes().setNote("VOA00003.WAV", {"投诉", {"待查"}}), CatalogueStatus::Ok);
        ASSERT_EQ(catalogue->notes().setNote("VOA00004.WAV", {"已移走", {}}), CatalogueStatus::Ok);
        CatalogueLedger(*catalogue, archive(), "upload").beforeReplace("VOA00002.WAV", std::string(64, '0'));
    }
    // 2 overwritten by other content after its copy was set aside; 3 damaged behind the catalogue's back;
    // 4 gone.
    auto bytes = VolumeBuilder::readBytes(phone() + "voice/VOA00002.WAV");
    bytes[1000] ^= 0xFF;
    VolumeBuilder::writeBytes(archive() + "VOA00002.WAV", bytes);
    bytes = VolumeBuilder::readBytes(archive() + "VOA00003.WAV");
    bytes[1000] ^= 0xFF;
    VolumeBuilder::writeBytes(archive() + "VOA00003.WAV", bytes);
    fs::remove(archive() + "VOA00004.WAV");

    const RebuildReport report = rebuildCatalogue(archive());
    ASSERT_EQ(report.outcome, RebuildOutcome::Done);
    EXPECT_TRUE(fs::is_regular_file(report.keptAs)) << report.keptAs;
    auto rebuilt = open();
    std::vector<Contact> contacts;
    rebuilt->phonebook().contacts(contacts);
    ASSERT_EQ(contacts.size(), 1U);
    EXPECT_EQ(contacts[0].numbers, std::vector<std::string>{"111"});
    const auto noteOf = [&](const std::string& name) {
        RecordingNote note;
        rebuilt->notes().noteOf(name, note);
        return note;
    };
    EXPECT_EQ(noteOf("VOA00001.WAV"), (RecordingNote{"回访", {"重要"}}));
    EXPECT_TRUE(noteOf("VOA00002.WAV").empty());  // the note was about the copy set aside
    EXPECT_EQ(noteOf("VOA00003.WAV"), (RecordingNote{"投诉", {"待查"}}));
    EXPECT_EQ(noteOf("VOA00004.WAV"), (RecordingNote{"已移走", {}}));
    EXPECT_EQ(row(*rebuilt, "VOA00001.WAV")->archivedBy, "test");
    EXPECT_EQ(row(*rebuilt, "VOA00003.WAV")->state, RecordState::Changed);
    EXPECT_EQ(row(*rebuilt, "VOA00004.WAV")->state, RecordState::Missing);
    const VerifyReport verified = verifyArchive(*rebuilt, archive(), {});
    EXPECT_EQ(verified.changed, std::vector<std::string>{"VOA00003.WAV"});
    EXPECT_EQ(verified.missing, std::vector<std::string>{"VOA00004.WAV"});

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(cataloguePath().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT n.note FROM recordings r JOIN recording_notes n ON n.recording_id = r.id "
                       "WHERE r.state = 2",
                       -1, &statement, nullptr);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "旧的");
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

TEST_F(ArchiveCatalogueTest, RebuildWaitsForTheWriteLockAndKeepsWhatWasWrittenUnderIt) {
    record("VOA00001.WAV", "111", 1);
    offload(*open());
    std::future<RebuildReport> rebuilt;
    {
        const ArchiveWriteLock lock(archive());
        ASSERT_TRUE(lock.held());
        rebuilt = std::async(std::launch::async, [&] { return rebuildCatalogue(archive()); });
        EXPECT_EQ(rebuilt.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        ASSERT_EQ(open()->notes().setNote("VOA00001.WAV", {"锁内写的", {}}), CatalogueStatus::Ok);
    }
    EXPECT_EQ(rebuilt.get().outcome, RebuildOutcome::Done);
    RecordingNote note;
    open()->notes().noteOf("VOA00001.WAV", note);
    EXPECT_EQ(note.text, "锁内写的");
}

TEST_F(ArchiveCatalogueTest, RebuildKeepsThreeOldCataloguesAndTakesThePhonebookBackFromAnOldOne) {
    record("VOA00001.WAV", "111", 1);
    const std::string own = catalogueFolderOf(archive());
    {
        auto catalogue = open();
        offload(*catalogue);
        Contact contact{0, "王伟", {"111"}, ""};
        ASSERT_EQ(catalogue->phonebook().save(contact), CatalogueStatus::Ok);
        ASSERT_EQ(catalogue->notes().setNote("VOA00001.WAV", {"回访", {}}), CatalogueStatus::Ok);
    }
    // What a rebuild killed halfway by an earlier version left: the phonebook and notes only in an old
    // catalogue, newer and older ones without them (one stamped by a clock far ahead), and a half-built file.
    fs::copy_file(cataloguePath(), own + "catalogue.sqlite.old-20200101-000000");
    fs::remove(cataloguePath());
    open().reset();
    for (const char* stamp : {"20990101-000000", "20210101-000000", "20190101-000000-2", "20190101-000000-10"}) {
        fs::copy_file(cataloguePath(), own + "catalogue.sqlite.old-" + stamp);
    }
    VolumeBuilder::writeBytes(own + "catalogue.sqlite.new", std::vector<std::uint8_t>(4096, 0x22));

    const RebuildReport report = rebuildCatalogue(archive());
    ASSERT_EQ(report.outcome, RebuildOutcome::Done);
    EXPECT_EQ(report.carriedFrom, "catalogue.sqlite.old-20200101-000000");
    auto rebuilt = open();
    std::vector<Contact> contacts;
    rebuilt->phonebook().contacts(contacts);
    EXPECT_EQ(contacts.size(), 1U);
    RecordingNote note;
    rebuilt->notes().noteOf("VOA00001.WAV", note);
    EXPECT_EQ(note.text, "回访");
    const std::vector<std::string> kept = oldCatalogueNames(own);
    ASSERT_EQ(kept.size(), kOldCataloguesKept);
    EXPECT_EQ(kept[0], "catalogue.sqlite.old-20990101-000000");
    EXPECT_EQ(own + kept[1], report.keptAs);
    EXPECT_EQ(kept[2], "catalogue.sqlite.old-20210101-000000");
    EXPECT_FALSE(fs::exists(own + "catalogue.sqlite.new"));
}

TEST_F(ArchiveCatalogueTest, ALinkInTheCataloguesPlaceIsSetAsideAndWhatItNamesIsLeftAlone) {
    record("VOA00001.WAV", "111", 1);
    const std::string other = folder.path() + "other.sqlite";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const auto before = VolumeBuilder::readBytes(other);
    fs::create_directories(catalogueFolderOf(archive()));

    fs::create_symlink(other, cataloguePath());
    EXPECT_EQ(opener.open(archive(), CatalogueAccess::ReadOnly).status, CatalogueStatus::Unreadable);
    {
        auto catalogue = open();
        ASSERT_TRUE(catalogue);
        EXPECT_TRUE(fs::is_symlink(lastSetAside)) << lastSetAside;
        // A link in the journal's place is not written through either.
        fs::create_symlink(other, cataloguePath() + "-journal");
        offload(*open());
    }
    fs::remove(cataloguePath());
    fs::create_symlink(other, cataloguePath());
    const RebuildReport report = rebuildCatalogue(archive());
    EXPECT_EQ(report.outcome, RebuildOutcome::Done);
    ASSERT_EQ(report.setAsideAs.size(), 1U);
    EXPECT_TRUE(fs::is_symlink(report.setAsideAs[0]));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(cataloguePath())));
    EXPECT_EQ(VolumeBuilder::readBytes(other), before);
}

TEST_F(ArchiveCatalogueTest, ClearingTrustsNeitherSideWithoutHashingItNow) {
    record("VOA00001.WAV", "111", 1);
    record("VOA00002.WAV", "222", 2);
    record("VOA00003.WAV", "333", 3);
    auto catalogue = open();
    offload(*catalogue);
    // The archive's copy of 2 damaged without its size or time changing; 3 changed on the telephone.
    auto damaged = VolumeBuilder::readBytes(archive() + "VOA00002.WAV");
    damaged[2000] ^= 1;
    const auto mtime = fs::last_write_time(archive() + "VOA00002.WAV");
    VolumeBuilder::writeBytes(archive() + "VOA00002.WAV", damaged);
    fs::last_write_time(archive() + "VOA00002.WAV", mtime);
    auto changed = VolumeBuilder::readBytes(phone() + "voice/VOA00003.WAV");
    changed[3000] ^= 1;
    VolumeBuilder::writeBytes(phone() + "voice/VOA00003.WAV", changed);

    const std::time_t now = std::time(nullptr);
    EXPECT_EQ(verifiedArchivedNames(*catalogue, archive(), phone(), scan(), {std::nullopt, now}, {}),
              std::vector<std::string>{"VOA00001.WAV"});
    // Recorded 2021-03-04: not older than a hundred years.
    EXPECT_TRUE(verifiedArchivedNames(*catalogue, archive(), phone(), scan(), {36500, now}, {}).empty());
}

TEST_F(ArchiveCatalogueTest, ClearingChecksEachCopyRightBeforeItsRecordingGoes) {
    for (int i = 1; i <= 4; ++i) record("VOA0000" + std::to_string(i) + ".WAV", std::to_string(i), i);
    auto catalogue = open();
    offload(*catalogue);
    PhoneIndexHeader header;
    CollectedList list;
    NullSink sink;
    ScanCatalogue(phone(), header, list, sink);
    std::sort(list.entries.begin(), list.entries.end(),
              [](const RecordingEntry& a, const RecordingEntry& b) { return a.fileName < b.fileName; });
    // While the first recording is checked, the copies of the others are damaged, removed, and replaced by
    // the telephone's own file.
    const auto meanwhile = [&](int done, int) {
        if (done != 0) return;
        auto damaged = VolumeBuilder::readBytes(archive() + "VOA00002.WAV");
        damaged[2000] ^= 1;
        VolumeBuilder::writeBytes(archive() + "VOA00002.WAV", damaged);
        fs::remove(archive() + "VOA00003.WAV");
        fs::remove(archive() + "VOA00004.WAV");
        fs::create_hard_link(phone() + "voice/VOA00004.WAV", archive() + "VOA00004.WAV");
    };
    const ClearingRule rule{std::nullopt, std::time(nullptr)};
    const ClearingReport report =
        clearArchived(*catalogue, archive(), phone(), list.entries, rule, header, sink, {}, meanwhile);
    EXPECT_EQ(report.deleted, std::vector<std::string>{"VOA00001.WAV"});
    EXPECT_EQ(report.kept, (std::vector<KeptRecording>{{"VOA00002.WAV", KeptReason::CopyChanged},
                                                       {"VOA00003.WAV", KeptReason::CopyMissing},
                                                       {"VOA00004.WAV", KeptReason::SameFile}}));
    EXPECT_EQ(VolumeBuilder::sortedNames(phone() + "voice"),
              (std::vector<std::string>{"VOA00002.WAV", "VOA00003.WAV", "VOA00004.WAV"}));
    EXPECT_EQ(VolumeBuilder::headerOnDisk(phone()).recordingCount(), 3);
    EXPECT_EQ(clearingSummary(report, rule, 2),
              "未删除 VOA00002.WAV：存档副本内容已改变\n未删除 VOA00003.WAV：存档中缺失\n……（共 3 条未删除）\n"
              "已删除 1 条录音，保留 3 条未能确认存档的录音（存档中缺失 1 条，存档副本内容已改变 1 条，"
              "存档副本就是电话机上的这个文件 1 条）。");
}

TEST(StampedNameTest, AnEarlierFileKeptAsideTheSameSecondIsNeverTaken) {
    TempFolder folder;
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        names.push_back(freeStampedName(folder.path(), "catalogue.sqlite", ".old-"));
        VolumeBuilder::writeBytes(folder.path() + names.back(), {'x'});
    }
    EXPECT_TRUE(names[0].starts_with("catalogue.sqlite.old-"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
}

TEST(ArchiveNamesTest, SuffixedNamesAreTakenWithTheRestOfTheRulesUnchanged) {
    EXPECT_EQ(suffixedName("VOA00001.WAV", 2), "VOA00001-2.WAV");
    for (const char* name : {"VOA00001.WAV", "REC00002.WAV", "VOA00001-2.WAV", "VOC00003-17.WAV"}) {
        EXPECT_TRUE(isArchiveRecordingName(name)) << name;
    }
    for (const char* name : {"VOA00001-1.WAV", "VOA00001-02.WAV", "VOA0001-2.WAV", "XOA00001-2.WAV", "VOA00001-.WAV",
                             "VOA00001-2x.WAV", "VOA00001-1234567890.WAV"}) {
        EXPECT_FALSE(isArchiveRecordingName(name)) << name;
    }
}

TEST_F(ArchiveCatalogueTest, AnOffloadCopiesNothingWhereTheCatalogueCannotBeRead) {
    record("VOA00001.WAV", "111", 1);
    LostConnectionOpener lost;
    const CatalogueOpening opening = lost.open(archive(), CatalogueAccess::ReadWrite);
    ASSERT_TRUE(opening.catalogue);
    const OffloadReport report = offload(*opening.catalogue);
    EXPECT_TRUE(report.refused);
    EXPECT_EQ(report.archived, 0);
    EXPECT_FALSE(fs::exists(archive() + "VOA00001.WAV"));
}
