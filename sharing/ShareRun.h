#pragma once

#include <functional>
#include <memory>
#include <stop_token>
#include <string>

#include "export/ISpreadsheet.h"
#include "sharing/IAudioEncoder.h"
#include "sharing/IShareObserver.h"
#include "sharing/IShareWriter.h"
#include "sharing/SharePlan.h"
#include "sharing/ShareReport.h"

namespace tapelink {

// A spreadsheet that writes its workbook to the given file when the export hands it over.
using SpreadsheetForFile = std::function<std::unique_ptr<ISpreadsheet>(const std::string& path)>;

// Writes a share: each recording read (links and special files refused), converted by the encoder, added to
// the writer under its readable name, then the index workbook, then the writer commits. Any failure or a
// stop abandons the writer, so either the whole share is there or nothing is.
class ShareRun {
public:
    ShareRun(IAudioEncoder& encoder, IShareWriter& writer, SpreadsheetForFile spreadsheet)
        : m_encoder(encoder), m_writer(writer), m_spreadsheet(std::move(spreadsheet)) {}

    ShareReport run(const SharePlan& plan, std::stop_token stop, IShareObserver& observer);

private:
    bool addIndex(const SharePlan& plan, const std::vector<std::string>& names, std::string& error);
    ShareReport failed(std::string message);

    IAudioEncoder& m_encoder;
    IShareWriter& m_writer;
    SpreadsheetForFile m_spreadsheet;
};

// Whether the share's target lies inside one of the plan's protected folders or a recording's own folder
// (after resolving links in the part of the path that exists).
bool shareTargetProtected(const SharePlan& plan);

// Reads a whole recording; a link, a folder, a device or a file past maxBytes is refused with a reason.
bool readRecordingBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace tapelink
