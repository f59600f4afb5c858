#include "platform/LibraryShareTools.h"

#include "platform/SndfileMp3Encoder.h"
#include "platform/SndfileWavShareEncoder.h"
#include "platform/XlsxSpreadsheet.h"
#include "platform/ZipShareWriter.h"
#include "sharing/FolderShareWriter.h"

namespace tapelink {

std::unique_ptr<IAudioEncoder> LibraryShareTools::encoder(ShareFormat format) {
    if (format == ShareFormat::Wav) return std::make_unique<SndfileWavShareEncoder>();
    return std::make_unique<SndfileMp3Encoder>();
}

std::unique_ptr<IShareWriter> LibraryShareTools::writer(ShareTarget target, const std::string& path) {
    if (target == ShareTarget::Folder) return std::make_unique<FolderShareWriter>(path);
    return std::make_unique<ZipShareWriter>(path);
}

std::unique_ptr<ISpreadsheet> LibraryShareTools::spreadsheet(const std::string& path) {
    return std::make_unique<XlsxSpreadsheet>(path);
}

}  // namespace tapelink
