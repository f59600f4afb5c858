#include "cli/BinCommand.h"

#include <iostream>

#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/RowList.h"
#include "phone/RecycleBin.h"
#include "phone/RecycleBinRow.h"
#include "phone/RecycleMessages.h"
#include "phone/RowTable.h"

namespace tapelink::cli {

namespace {

RowTable binRows(const RecycleBin& bin) {
    std::vector<RecordingRow> rows;
    for (const auto& entry : bin.RefreshList()) rows.push_back(recycleBinRow(entry, static_cast<int>(rows.size())));
    return RowTable(std::move(rows));
}

std::optional<std::vector<int>> rowsOrUsage(const std::string& text, int rowCount) {
    std::vector<int> rows;
    std::string error;
    if (parseRowList(text, rowCount, rows, error)) return rows;
    std::cerr << "--rows: " << error << '\n';
    return std::nullopt;
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
    m_restore->add_option("--rows", m_rows, "Comma-separated row numbers (序号) of bin list")->required();
    m_delete = m_command->add_subcommand("delete", "Delete recordings in the recycle bin for good");
    m_delete->add_option("--rows", m_rows, "Comma-separated row numbers (序号) of bin list")->required();
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
    const RowTable rows = binRows(RecycleBin(root, phone.header, messages));
    const auto& titles = recordingColumnTitles();
    std::vector<std::vector<std::string>> printed;
    for (const auto& row : rows.rows()) printed.emplace_back(row.begin(), row.end());
    printRows({titles.begin(), titles.end()}, printed, m_json);
    return messages.failed() ? kExitMessage : kExitOk;
}

int BinCommand::restore(const std::string& root) {
    FailureTrackingSink messages(m_context.messages, kRestoreDone);
    PhoneList phone = scanPhoneList(root, messages);
    RecycleBin bin(root, phone.header, messages);
    const RowTable rows = binRows(bin);
    const auto selected = rowsOrUsage(m_rows, rows.rowCount());
    if (!selected) return kExitUsage;
    CliRestoreObserver observer(bin);
    const RestoreReport report = bin.RestoreWorker(TransferJob{*selected}, rows, {}, observer);
    for (const auto& file : report.restored) std::cout << file.binName << '\t' << file.voiceName << '\n';
    return messages.failed() ? kExitMessage : kExitOk;
}

int BinCommand::remove(const std::string& root) {
    FailureTrackingSink messages(m_context.messages);
    PhoneList phone = scanPhoneList(root, messages);
    RecycleBin bin(root, phone.header, messages);
    const RowTable rows = binRows(bin);
    const auto selected = rowsOrUsage(m_rows, rows.rowCount());
    if (!selected) return kExitUsage;
    std::vector<std::string> names;
    for (const int row : *selected) names.push_back(rows.cellText(row, 1));
    bin.PermanentDelete(names, [&](std::size_t i) { std::cout << names[i] << '\n'; });
    return messages.failed() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
