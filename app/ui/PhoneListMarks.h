#pragma once

#include <memory>

#include "contacts/ContactDirectory.h"

namespace tapelink {

class IArchiveCatalogueOpener;
class IArchiveWindow;

// The phone list's "存档" marks, looked up in the upload folder's catalogue as it stands, and its "姓名"
// column, from the folder's phonebook as last read on the archive's worker.
class PhoneListMarks {
public:
    PhoneListMarks(IArchiveWindow& window, IArchiveCatalogueOpener* catalogues)
        : m_window(window), m_catalogues(catalogues) {}

    // On the window's thread: a read-only lookup per row, no telephone file read.
    void refresh();
    // Never null.
    std::shared_ptr<const ContactDirectory> directory() const { return m_directory; }
    void setDirectory(std::shared_ptr<const ContactDirectory> directory) { m_directory = std::move(directory); }

private:
    IArchiveWindow& m_window;
    IArchiveCatalogueOpener* m_catalogues;
    std::shared_ptr<const ContactDirectory> m_directory = std::make_shared<ContactDirectory>();
};

}  // namespace tapelink
