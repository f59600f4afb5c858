#include "app/ui/PhoneListMarks.h"

#include "app/ui/IArchiveWindow.h"
#include "app/ui/PhoneListModel.h"
#include "catalogue/ArchiveMarks.h"
#include "catalogue/CatalogueSession.h"

namespace tapelink {

void PhoneListMarks::refresh() {
    const std::vector<RecordingEntry>& entries = m_window.phoneList().entries();
    std::vector<std::string> marks(entries.size());
    const std::string folder = m_window.settingsCopy().uploadFolder();
    if (!folder.empty() && !entries.empty() && !m_window.folderOnPhone(folder, false)) {
        // The catalogue as it stands: read-only, and no worker needed for a lookup per row.
        CatalogueSession session(*m_catalogues, folder);
        session.open(CatalogueAccess::ReadOnly);
        if (session.isOpen()) {
            // No telephone file is read here: a recording the catalogue can't vouch for stays unmarked.
            ArchiveMarker marker(*session.catalogue(), m_window.locator().phoneSerial(m_window.driveRoot()));
            const CatalogueStatus read = session.catalogue()->withSnapshot([&] {
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    marks[i] = archiveMarkText(marker.lookUp(entries[i]).mark);
                }
            });
            // Marks read without a steady view may be wrong: none are shown rather than wrong ones.
            if (read != CatalogueStatus::Ok) marks.assign(entries.size(), {});
        }
    }
    m_window.phoneList().setArchiveMarks(std::move(marks));
    // The directory is built on the worker; here each row only looks its number up.
    std::vector<std::string> names(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) names[i] = m_directory->nameFor(entries[i].phoneNumber);
    m_window.phoneList().setNames(std::move(names));
}

}  // namespace tapelink
