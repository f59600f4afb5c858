#include "cli/ListCommand.h"

#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/TsvRowWriter.h"
#include "phone/CatalogueScan.h"
#include "phone/PhoneListRow.h"
#include "phone/VolumeMessages.h"

namespace tapelink::cli {

namespace {

// Prints each row as the scan finds it, so a large telephone is listed without holding it in memory.
class StreamingTableView : public ICatalogueView {
public:
    void setStatusText(const std::string&) override {}
    void clearRows() override {}
    void addRecordingRow(const RecordingEntry& entry, int position) override {
        m_writer.write(phoneListRow(entry, position));
    }

private:
    TsvRowWriter m_writer;
};

}  // namespace

ListCommand::ListCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("list", "Print the recordings on the telephone")), m_context(context) {
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
}

int ListCommand::run() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    // A read-only telephone is listed in full; being told so is no failure of the listing.
    FailureTrackingSink messages(m_context.messages, kPhoneReadOnly);
    if (m_json) {
        const PhoneList list = scanPhoneList(root, messages);
        const auto& titles = recordingColumnTitles();
        printRows({titles.begin(), titles.end()}, list.rows, true);
    } else {
        PhoneIndexHeader header;
        StreamingTableView view;
        ScanCatalogue(root, header, view, messages);
    }
    return messages.failed() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
