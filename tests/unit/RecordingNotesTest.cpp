#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "archive/ArchiveLayout.h"
#include "catalogue/CatalogueLedger.h"
#include "catalogue/CatalogueReconciler.h"
#include "contacts/NoteRules.h"
#include "platform/SqliteArchiveCatalogue.h"
#include "platform/SqliteCatalogueFiles.h"
#include "platform/SqliteCatalogueOpener.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

class RecordingNotesTest : public ::testing::Test {
protected:
    std::string archive() const { return folder.path(); }
    void put(const std::string& name, const std::string& number) const {
        VolumeBuilder::writeRecording(archive() + name, VolumeBuilder::info('Z', number, 21, 3, 4, 5, 6), 4532);
    }
    std::shared_ptr<SqliteArchiveCatalogue> open(CatalogueAccess access = CatalogueAccess::ReadWrite) {
        auto catalogue = std::static_pointer_cast<SqliteArchiveCatalogue>(opener.open(archive(), access).catalogue);
        if (catalogue && catalogue->writable()) reconcileCatalogue(*catalogue, archive(), {});
        return catalogue;
    }
    static RecordingNote noteOf(SqliteArchiveCatalogue& catalogue, const std::string& name) {
        RecordingNote note;
        EXPECT_EQ(catalogue.notes().noteOf(name, note), CatalogueStatus::Ok);
        return note;
    }
    static std::set<std::string> withText(SqliteArchiveCatalogue& catalogue, const std::string& text) {
        std::set<std::string> files;
        EXPECT_EQ(catalogue.notes().filesWithText(text, files), CatalogueStatus::Ok);
        return files;
    }

    TempFolder folder;
    SqliteCatalogueOpener opener;
};

TEST_F(RecordingNotesTest, NotesAreCheckedStoredAndFoundByTextOrTagIgnoringCase) {
    put("VOA00001.WAV", "111");
    put("VOA00002.WAV", "222");
    auto catalogue = open();
    IRecordingNotes& notes = catalogue->notes();
    EXPECT_EQ(notes.setNote("VOA00001.WAV", {"Customer 投诉", {" 重要 ", "VIP", "重要", ""}}), CatalogueStatus::Ok);
    EXPECT_EQ(noteOf(*catalogue, "VOA00001.WAV"), (RecordingNote{"Customer 投诉", {"重要", "VIP"}}));
    EXPECT_EQ(notes.setNote("VOA00002.WAV", {"", {"vip客户"}}), CatalogueStatus::Ok);
    EXPECT_EQ(withText(*catalogue, "vIp"), (std::set<std::string>{"VOA00001.WAV", "VOA00002.WAV"}));
    EXPECT_EQ(withText(*catalogue, "CUSTOMER"), std::set<std::string>{"VOA00001.WAV"});
    EXPECT_TRUE(withText(*catalogue, "回访").empty());

    // 2,000 characters of three bytes each fit; one more does not, and a refused note changes nothing.
    std::string longest;
    for (int i = 0; i < kMaxNoteCharacters; ++i) longest += "话";
    EXPECT_EQ(notes.setNote("VOA00002.WAV", {longest, {}}), CatalogueStatus::Ok);
    EXPECT_EQ(notes.setNote("VOA00002.WAV", {longest + "x", {}}), CatalogueStatus::Failed);
    EXPECT_EQ(notes.setNote("VOA00002.WAV", {"", {"two words"}}), CatalogueStatus::Failed);
    EXPECT_EQ(noteOf(*catalogue, "VOA00002.WAV").text, longest);
    EXPECT_EQ(notes.setNote("VOA00009.WAV", {"nobody", {}}), CatalogueStatus::Failed);

    EXPECT_EQ(notes.setNote("VOA00002.WAV", {}), CatalogueStatus::Ok);
    std::map<std::string, RecordingNote> all;
    EXPECT_EQ(notes.allNotes(all), CatalogueStatus::Ok);
    EXPECT_EQ(all.size(), 1u);
    EXPECT_EQ(remarkText(all["VOA00001.WAV"]), "Customer 投诉 [重要] [VIP]");
    EXPECT_EQ(remarkText({"", {"回访"}}), "[回访]");
}

TEST_F(RecordingNotesTest, NoteStaysWithItsRecordingThroughRehashOverwriteAndSuffixedNames) {
    put("VOA00001.WAV", "111");
    auto catalogue = open();
    ASSERT_EQ(catalogue->notes().setNote("VOA00001.WAV", {"first call", {"old"}}), CatalogueStatus::Ok);

    // Changed on disk: the row is re-hashed in place and keeps the note.
    auto bytes = VolumeBuilder::readBytes(archive() + "VOA00001.WAV");
    bytes[1000] ^= 0xFF;
    VolumeBuilder::writeBytes(archive() + "VOA00001.WAV", bytes);
    reconcileCatalogue(*catalogue, archive(), {});
    EXPECT_EQ(noteOf(*catalogue, "VOA00001.WAV").text, "first call");

    // A different recording stored under a suffixed name starts without one.
    put("VOA00001-2.WAV", "222");
    reconcileCatalogue(*catalogue, archive(), {});
    EXPECT_TRUE(noteOf(*catalogue, "VOA00001-2.WAV").empty());

    // Overwritten: the new file of that name starts empty; the note stays with the replaced row.
    CatalogueLedger ledger(*catalogue, archive(), "upload");
    ASSERT_EQ(ledger.beforeReplace("VOA00001.WAV", std::string(64, '0')), ReplaceVerdict::Replace);
    put("VOA00001.WAV", "333");
    reconcileCatalogue(*catalogue, archive(), {});
    EXPECT_TRUE(noteOf(*catalogue, "VOA00001.WAV").empty());
    EXPECT_TRUE(withText(*catalogue, "first").empty());
    catalogue.reset();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((catalogueFolderOf(archive()) + kCatalogueFileName).c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT r.state FROM recording_notes n JOIN recordings r ON r.id = n.recording_id "
                       "WHERE n.note = 'first call'",
                       -1, &statement, nullptr);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), static_cast<int>(RecordState::Replaced));
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

TEST_F(RecordingNotesTest, CatalogueFromBeforeNotesReadsAsHavingNone) {
    put("VOA00001.WAV", "111");
    open().reset();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((catalogueFolderOf(archive()) + kCatalogueFileName).c_str(), &db), SQLITE_OK);
    // Version 1 had the recordings table only.
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA foreign_keys = OFF; DROP TABLE phone_origins; DROP TABLE recording_tags; "
                           "DROP TABLE recording_notes; DROP TABLE contact_numbers; DROP TABLE contacts; "
                           "DROP TABLE team_confirmed; ALTER TABLE recordings DROP COLUMN compact_name; "
                           "ALTER TABLE recordings DROP COLUMN compact_sha256; PRAGMA user_version = 1",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    auto reading = open(CatalogueAccess::ReadOnly);
    ASSERT_TRUE(reading);
    EXPECT_TRUE(noteOf(*reading, "VOA00001.WAV").empty());
    EXPECT_TRUE(withText(*reading, "").empty());
    EXPECT_EQ(reading->notes().setNote("VOA00001.WAV", {"x", {}}), CatalogueStatus::ReadOnly);
    // Its recordings read as they were, none of them compact.
    std::vector<CatalogueRecord> rows;
    EXPECT_EQ(reading->liveRecords(rows), CatalogueStatus::Ok);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0].compacted());
    reading.reset();
    // Opened for writing, it is brought up to date and takes notes.
    auto writing = open();
    ASSERT_TRUE(writing);
    EXPECT_EQ(writing->notes().setNote("VOA00001.WAV", {"x", {}}), CatalogueStatus::Ok);
}

// A writer killed inside a transaction leaves its journal behind; a reading opening must still see the
// notes and the phonebook as they were, not an empty catalogue.
TEST_F(RecordingNotesTest, AKilledWritersJournalDoesNotHideNotesFromAReader) {
    put("VOA00001.WAV", "111");
    {
        auto writing = open();
        ASSERT_TRUE(writing);
        ASSERT_EQ(writing->notes().setNote("VOA00001.WAV", {"回电", {"客户"}}), CatalogueStatus::Ok);
    }
    const std::string path = catalogueFolderOf(archive()) + kCatalogueFileName;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        // A one-page cache spills the changed pages into the file before the end, as a large write does.
        sqlite3_exec(db,
                     "PRAGMA cache_size = 1; BEGIN IMMEDIATE; DELETE FROM recording_tags; "
                     "DELETE FROM recording_notes; DELETE FROM recordings",
                     nullptr, nullptr, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(fs::exists(path + "-journal"));

    auto reading = open(CatalogueAccess::ReadOnly);
    ASSERT_TRUE(reading);
    const RecordingNote note = noteOf(*reading, "VOA00001.WAV");
    EXPECT_EQ(note.text, "回电");
    EXPECT_EQ(note.tags, std::vector<std::string>{"客户"});
}
