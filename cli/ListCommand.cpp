#include "cli/ListCommand.h"

#include <iostream>

#include "cli/PhoneListScan.h"
#include "cli/TsvRowWriter.h"
#include "phone/CatalogueScan.h"
#include "phone/PhoneListRow.h"

namespace tapelink::cli {

namespace {

constexpr const char* kNoValidIndex =
    "The telephone's index system/phone.bin is missing or damaged: no recordings are listed.";

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
    ScanResult result;
    if (m_json) {
        const PhoneList list = scanPhoneList(root, m_context.messages);
        const auto& titles = recordingColumnTitles();
        printRows({titles.begin(), titles.end()}, list.rows, true);
        result = list.result;
    } else {
        PhoneIndexHeader header;
        StreamingTableView view;
        result = ScanCatalogue(root, header, view, m_context.messages);
    }
    const bool failed = m_context.messages.anyShown();
    // The window shows such a telephone as an empty list; a script must be told why nothing came.
    if (!result.indexValid) std::cerr << kNoValidIndex << '\n';
    return failed ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
