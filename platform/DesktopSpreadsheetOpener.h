#pragma once

#include "platform/ISpreadsheetOpener.h"

namespace tapelink {

// The freedesktop way of opening a workbook: the default handler of the xlsx MIME type as xdg-mime
// reports it, started through gio (or xdg-open where gio is missing) in a process of its own.
class DesktopSpreadsheetOpener : public ISpreadsheetOpener {
public:
    static constexpr const char* kXlsxMimeType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

    std::string defaultApplication() override;
    bool open(const std::string& path, std::string& error) override;
};

}  // namespace tapelink
