#pragma once

#include <string>
#include <vector>

#include "app/IMessageSink.h"
#include "phone/RecordingEntry.h"

namespace tapelink::cli {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitMessage = 1;  // the command ended on one of the system's messages
inline constexpr int kExitUsage = 2;

// Prints the system's messages on stderr and remembers that one was shown.
class StderrMessages : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon icon) override;
    bool anyShown() const { return m_count > 0; }

private:
    int m_count = 0;
};

// What every command shares: the global options and the way output is printed.
struct CliContext {
    std::string storeOption;  // --store DIR
    StderrMessages messages;

    // The telephone's drive root with its trailing '/': --store, then TAPELINK_STORE, then the
    // device locator. Empty when no telephone is there.
    std::string locatePhone() const;
};

// Rows as tab-separated lines, or with json as an array of objects keyed by the column titles.
void printRows(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows, bool json);

}  // namespace tapelink::cli
