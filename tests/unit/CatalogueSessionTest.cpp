#include "catalogue/CatalogueSession.h"

#include <gtest/gtest.h>

#include "platform/SqliteCatalogueOpener.h"
#include "tests/support/LostConnectionOpener.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

class CatalogueSessionTest : public ::testing::Test {
protected:
    std::string archive() const { return folder.path(); }

    TempFolder folder;
    SqliteCatalogueOpener opener;
};

TEST_F(CatalogueSessionTest, StoresHandedOutOutliveTheSessionAndAreThoseOfTheArchive) {
    VolumeBuilder::writeRecording(archive() + "VOA00001.WAV", VolumeBuilder::info('Z', "111", 21, 3, 4, 5, 6), 4532);
    std::shared_ptr<IPhonebook> phonebook;
    std::shared_ptr<IRecordingNotes> notes;
    {
        CatalogueSession session(opener, archive());
        ASSERT_EQ(session.openReconciled(), CatalogueStatus::Ok);
        EXPECT_EQ(session.reconciled().added, 1);
        phonebook = session.sharedPhonebook();
        notes = session.sharedNotes();
    }
    Contact contact{0, "张三", {"111"}, ""};
    ASSERT_EQ(phonebook->save(contact), CatalogueStatus::Ok);
    ASSERT_EQ(notes->setNote("VOA00001.WAV", {"回访", {}}), CatalogueStatus::Ok);

    CatalogueSession reading(opener, archive());
    ASSERT_EQ(reading.open(CatalogueAccess::ReadOnly), CatalogueStatus::ReadOnly);
    std::vector<Contact> contacts;
    ASSERT_EQ(reading.phonebook()->contacts(contacts), CatalogueStatus::Ok);
    ASSERT_EQ(contacts.size(), 1U);
    EXPECT_EQ(contacts[0].name, "张三");
    RecordingNote note;
    ASSERT_EQ(reading.notes()->noteOf("VOA00001.WAV", note), CatalogueStatus::Ok);
    EXPECT_EQ(note.text, "回访");
}

TEST_F(CatalogueSessionTest, ASnapshotThatCannotBeTakenIsReportedAndItsLookupsStillRun) {
    CatalogueSession session(opener, archive());
    ASSERT_EQ(session.open(CatalogueAccess::ReadWrite), CatalogueStatus::Ok);
    IArchiveCatalogue& catalogue = *session.catalogue();
    bool innerRan = false;
    CatalogueStatus inner = CatalogueStatus::Ok;
    const CatalogueStatus outer = catalogue.withSnapshot([&] {
        // A second view cannot be opened inside the first.
        inner = catalogue.withSnapshot([&] { innerRan = true; });
    });
    EXPECT_EQ(outer, CatalogueStatus::Ok);
    EXPECT_NE(inner, CatalogueStatus::Ok);
    EXPECT_TRUE(innerRan);
}

TEST_F(CatalogueSessionTest, AConnectionLostWhileReconcilingIsNotSwallowed) {
    LostConnectionOpener lost;
    CatalogueSession session(lost, archive());
    EXPECT_EQ(session.openReconciled(), CatalogueStatus::ConnectionLost);
    EXPECT_TRUE(session.isOpen());
    EXPECT_EQ(session.status(), CatalogueStatus::ConnectionLost);

    lost.lostOnOpen = true;
    EXPECT_EQ(session.open(CatalogueAccess::ReadOnly), CatalogueStatus::ConnectionLost);
    EXPECT_FALSE(session.isOpen());
}

}  // namespace
