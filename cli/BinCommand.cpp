#include "cli/BinCommand.h"

#include <iostream>

#include "cli/FailureTrackingSink.h"
#include "cli/InterruptStop.h"
#include "cli/PhoneListScan.h"
#include "cli/RecordingFields.h"
#include "phone/RecycleBin.h"
#include "phone/RecycleBinRow.h"
#include "phone/RecycleMessages.h"
#include "phone/RowTable.h"

namespace tapelink::cli {

namespace {

constexpr int kExitInterrupted = 130;

struct BinRows {
    RowTable table;
    std::vector<std::string> names;
    std::vector<nlohmann::ordered_json> fields;  // of each row, for --json
    int renamed = 0;
};

BinRows binRows(const RecycleBin& bin) {
    BinRows rows;
    std::vector<RecordingRow> texts;
    for (const auto& entry : bin.RefreshList(&rows.renamed)) {
        texts.push_back(recycleBinRow(entry, static_cast<int>(texts.size())));
        rows.names.push_back(entry.fileName);
        rows.fields.push_back(recordingFields(entry, texts.back()[kSideColumn]));
    }
    rows.table = RowTable(std::move(texts));
    return rows;
}

// The window's end-of-restore sequence without a window: only the header write has an effect here.
class CliRestoreObserver : public IRestoreObserver {
public:
    explicit CliRestoreObserver(const RecycleBin& bin) : m_bin(bin) {}
    void progressStarted(int) override {}
    void progressAdvanced(int) override {}
    void savePhoneIndexRequested() override { m_bin.savePhoneIndex(); }
    void progressEnded() override {}
    void listRefreshRequested() override {}
    void phoneRescanRequested() override {}

private:
    const RecycleBin& m_bin;
};

}  // namespace

BinCommand::BinCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("bin", "The telephone's recycle bin")), m_context(context) {
    m_command->require_subcommand(1);
    m_list = m_command->add_subcommand("list", "Print the recordings in the recycle bin");
    m_list->add_flag("--json", m_json, "Print the rows as a JSON array");
    m_restore = m_command->add_subcommand("restore", "Bring recordings back from the recycle bin");
    m_restoreChoice.addOptions(m_restore->add_option_group("recordings", "Which recordings to restore"), "bin list",
                               true);
    m_delete = m_command->add_subcommand("delete", "Delete recordings in the recycle bin for good");
    m_deleteChoice.addOptions(m_delete->add_option_group("recordings", "Which recordings to delete"), "bin list", true);
}

int BinCommand::run() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    if (m_list->parsed()) return list(root);
    if (m_restore->parsed()) return restore(root);
    return remove(root);
}

int BinCommand::list(const std::string& root) {
    FailureTrackingSink messages(m_context.messages);
    PhoneList phone = scanPhoneList(root, messages);
    const BinRows rows = binRows(RecycleBin(root, phone.header, messages));
    const auto& titles = recordingColumnTitles();
    std::vector<std::vector<std::string>> printed;
    for (const auto& row : rows.table.rows()) printed.emplace_back(row.begin(), row.end());
    if (m_json) {
        printJsonRows({titles.begin(), titles.end()}, printed, rows.fields);
    } else {
        printRows({titles.begin(), titles.end()}, printed, false);
    }
    return messages.failed() ? kExitMessage : kExitOk;
}

int BinCommand::restore(const std::string& root) {
    FailureTrackingSink messages(m_context.messages, kRestoreDone);
    PhoneList phone = scanPhoneList(root, messages);
    RecycleBin bin(root, phone.header, messages);
    const BinRows rows = binRows(bin);
    int status = kExitOk;
    const auto selected = m_restoreChoice.resolve(rows.names, rows.renamed, status);
    if (!selected) return status;
    CliRestoreObserver observer(bin);
    const InterruptStop interrupt;
    const RestoreReport report = bin.RestoreWorker(TransferJob{*selected}, rows.table, interrupt.token(), observer);
    for (const auto& file : report.restored) std::cout << file.binName << '\t' << file.voiceName << '\n';
    if (report.stopped) {
        std::cerr << "已中断：已还原 " << report.restored.size() << " 个录音（共 " << selected->size()
                  << " 个），索引已为它们写好。\n";
        return kExitInterrupted;
    }
    return messages.failed() ? kExitMessage : kExitOk;
}

int BinCommand::remove(const std::string& root) {
    FailureTrackingSink messages(m_context.messages);
    PhoneList phone = scanPhoneList(root, messages);
    RecycleBin bin(root, phone.header, messages);
    const BinRows rows = binRows(bin);
    int status = kExitOk;
    const auto selected = m_deleteChoice.resolve(rows.names, rows.renamed, status);
    if (!selected) return status;
    std::vector<std::string> names;
    for (const int row : *selected) names.push_back(rows.names[static_cast<std::size_t>(row)]);
    bin.PermanentDelete(names, [&](std::size_t i) { std::cout << names[i] << '\n'; });
    return messages.failed() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
