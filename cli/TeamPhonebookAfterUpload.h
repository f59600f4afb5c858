#pragma once

#include <string>

#include "catalogue/IArchiveCatalogue.h"

namespace tapelink::cli {

// After an upload on a team desk: exchanges the archive's phonebook with the team's (push where the person may,
// then pull), saying on stderr only what the desk gained or why nothing was exchanged. Never fails the upload.
void exchangePhonebookAfterUpload(IArchiveCatalogueOpener& catalogues, const std::string& folder,
                                  const std::string& server);

}  // namespace tapelink::cli
