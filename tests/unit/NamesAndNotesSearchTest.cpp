#include <gtest/gtest.h>

#include "catalogue/CatalogueReconciler.h"
#include "platform/SqliteCatalogueOpener.h"
#include "search/ArchiveSearch.h"
#include "search/SearchResultTable.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;

class NamesAndNotesSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        put("VOA00001.WAV", "13812345678", 1);
        put("VOA00002.WAV", "01087654321", 2);
        put("VOA00003.WAV", "95588", 3);
        put("VOA00004.WAV", "13812345678", 4);
        opening = SqliteCatalogueOpener().open(archive(), CatalogueAccess::ReadWrite);
        ASSERT_TRUE(opening.catalogue);
        reconcileCatalogue(*opening.catalogue, archive(), {});
        opening.notes->setNote("VOA00002.WAV", {"Complaint about billing", {"重要"}});
        opening.notes->setNote("VOA00003.WAV", {"", {"回访"}});
    }
    std::string archive() const { return folder.path(); }
    void put(const std::string& name, const std::string& number, int minute) const {
        VolumeBuilder::writeRecording(archive() + name, VolumeBuilder::info('Z', number, 21, 3, 4, 5, minute), 4532);
    }
    // The file names and names shown, as "file name:name".
    std::vector<std::string> search(const std::string& number, const std::string& noteText = {}) {
        SearchCriteria criteria;
        criteria.to = {2099, 12, 31, 23, 59, 59};
        criteria.number = number;
        criteria.noteText = noteText;
        RecordingAnnotations annotations(contacts, opening.catalogue.get(), opening.notes.get());
        ArchiveSearch search(table, messages);
        search.setAnnotations(&annotations);
        search.setSearchFolder(archive());
        search.RunSearch(criteria);
        std::vector<std::string> shown;
        for (const SearchResultRow& row : table.rows()) shown.push_back(row[1] + ":" + row.name);
        return shown;
    }
    using Shown = std::vector<std::string>;

    TempFolder folder;
    CatalogueOpening opening;
    ContactDirectory contacts{{{0, "张三", {"+86 138-1234-5678"}, ""},
                               {0, "Li Si", {"010-87654321"}, "ACME"},
                               {0, "张三丰", {"13900000000"}, ""}}};
    SearchResultTable table;
    RecordingMessages messages;
};

TEST_F(NamesAndNotesSearchTest, NumberFieldMatchesNamesWithoutDigitsAndNumbersAsBeforeWithThem) {
    EXPECT_EQ(search("张"), (Shown{"VOA00001.WAV:张三", "VOA00004.WAV:张三"}));
    EXPECT_EQ(search("li s"), Shown{"VOA00002.WAV:Li Si"});
    EXPECT_EQ(search("王"), Shown{});
    // Digits: a plain substring of the number, names only shown.
    EXPECT_EQ(search("5"), (Shown{"VOA00001.WAV:张三", "VOA00002.WAV:Li Si", "VOA00003.WAV:", "VOA00004.WAV:张三"}));
    EXPECT_EQ(search("8765"), Shown{"VOA00002.WAV:Li Si"});
    EXPECT_EQ(search("138-1234"), Shown{});
}

TEST_F(NamesAndNotesSearchTest, NoteTextMatchesNotesAndTagsAndRowsCarryTheRemark) {
    EXPECT_EQ(search("", "BILLING"), Shown{"VOA00002.WAV:Li Si"});
    EXPECT_EQ(search("", "回"), Shown{"VOA00003.WAV:"});
    EXPECT_EQ(search("张", "回"), Shown{});
    search("", "");
    ASSERT_EQ(table.rows().size(), 4u);
    EXPECT_EQ(table.rows()[1].remark, "");
    RecordingAnnotations annotations(contacts, opening.catalogue.get(), opening.notes.get());
    table.fillNamesAndRemarks(annotations, archive());
    EXPECT_EQ(table.rows()[1].remark, "Complaint about billing [重要]");
    EXPECT_EQ(table.rows()[2].remark, "[回访]");
    EXPECT_EQ(table.rows()[0].remark, "");

    // Telephone recordings take the remark of their archived copy with the same content.
    const auto same = readRecordingInfo(archive() + "VOA00003.WAV");
    ASSERT_TRUE(same);
    std::vector<RecordingEntry> phone{RecordingEntry::fromInfo("/phone/", "VOA00099.WAV", 4532, *same),
                                      RecordingEntry::fromInfo("/phone/", "VOA00002.WAV", 4533, *same)};
    EXPECT_EQ(annotations.annotate(phone), (std::vector<RowAnnotation>{{"", "[回访]"}, {"", ""}}));
}

TEST_F(NamesAndNotesSearchTest, ANameFindsItsNumberSharedOrWithDigitsOrAnExtension) {
    contacts = ContactDirectory({{0, "张三2", {"13812345678"}, ""},
                                 {0, "王五", {"138 1234 5678"}, ""},
                                 {0, "李芳6", {"010-87654321-8012"}, ""}});
    // Shared: the rows show no name, yet each name finds them.
    EXPECT_EQ(search("王五"), (Shown{"VOA00001.WAV:", "VOA00004.WAV:"}));
    EXPECT_EQ(search("张三2"), (Shown{"VOA00001.WAV:", "VOA00004.WAV:"}));
    // The main line of a number with an extension.
    EXPECT_EQ(search("芳6"), Shown{"VOA00002.WAV:李芳6"});
}
