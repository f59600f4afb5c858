#include "cli/PhoneListScan.h"

#include "phone/PhoneListRow.h"

namespace tapelink::cli {

namespace {

class CollectingView : public ICatalogueView {
public:
    explicit CollectingView(PhoneList& list) : m_list(list) {}
    void setStatusText(const std::string&) override {}
    void clearRows() override {
        m_list.entries.clear();
        m_list.rows.clear();
    }
    void addRecordingRow(const RecordingEntry& entry, int position) override {
        const RecordingRow row = phoneListRow(entry, position);
        m_list.entries.push_back(entry);
        m_list.rows.emplace_back(row.begin(), row.end());
    }

private:
    PhoneList& m_list;
};

}  // namespace

PhoneList scanPhoneList(const std::string& driveRoot, IMessageSink& messages) {
    PhoneList list;
    CollectingView view(list);
    list.result = ScanCatalogue(driveRoot, list.header, view, messages);
    return list;
}

bool phoneListReadable(const ScanResult& result, IMessageSink& messages) {
    if (result.indexValid) return true;
    messages.showMessage(kNoPhoneList, MessageIcon::Stop);
    return false;
}

}  // namespace tapelink::cli
