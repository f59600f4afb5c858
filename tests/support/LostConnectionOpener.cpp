#include "tests/support/LostConnectionOpener.h"

namespace tapelink::test {

namespace {

constexpr CatalogueStatus kLost = CatalogueStatus::ConnectionLost;

class LostStores : public IArchiveCatalogue, public IPhonebook, public IRecordingNotes {
public:
    bool writable() const override { return true; }
    CatalogueStatus liveRecords(std::vector<CatalogueRecord>&) override { return kLost; }
    CatalogueStatus liveFileStates(std::vector<CatalogueFileState>&) override { return kLost; }
    CatalogueStatus findByContent(const ContentKey&, std::vector<CatalogueRecord>&) override { return kLost; }
    CatalogueStatus findOrigin(const PhoneOrigin&, bool&) override { return kLost; }
    CatalogueStatus findByName(const std::string&, std::optional<CatalogueRecord>&) override { return kLost; }
    CatalogueStatus apply(const CatalogueChanges&) override { return kLost; }
    CatalogueStatus withSnapshot(const std::function<void()>& lookups) override {
        lookups();
        return kLost;
    }
    CatalogueStatus contacts(std::vector<Contact>&) override { return kLost; }
    CatalogueStatus save(Contact&) override { return kLost; }
    CatalogueStatus remove(std::int64_t) override { return kLost; }
    CatalogueStatus import(const std::vector<Contact>&, ContactImportCounts&) override { return kLost; }
    CatalogueStatus noteOf(const std::string&, RecordingNote&) override { return kLost; }
    CatalogueStatus setNote(const std::string&, const RecordingNote&) override { return kLost; }
    CatalogueStatus allNotes(std::map<std::string, RecordingNote>&) override { return kLost; }
    CatalogueStatus filesWithText(const std::string&, std::set<std::string>&) override { return kLost; }
};

class HeldLock : public IArchiveWriteLock {
public:
    bool held() const override { return true; }
    const std::string& failure() const override { return m_none; }

private:
    std::string m_none;
};

}  // namespace

CatalogueOpening LostConnectionOpener::open(const std::string&, CatalogueAccess) {
    ++openings;
    CatalogueOpening opening;
    if (lostOnOpen) {
        opening.status = kLost;
        return opening;
    }
    auto stores = std::make_shared<LostStores>();
    opening.phonebook = std::shared_ptr<IPhonebook>(stores, stores.get());
    opening.notes = std::shared_ptr<IRecordingNotes>(stores, stores.get());
    opening.catalogue = std::move(stores);
    return opening;
}

std::unique_ptr<IArchiveWriteLock> LostConnectionOpener::writeLock(const std::string&) {
    return std::make_unique<HeldLock>();
}

RebuildReport LostConnectionOpener::rebuild(const std::string&, const HashProgress&) {
    return {};
}

}  // namespace tapelink::test
