#pragma once

#include <memory>
#include <string>

#include "catalogue/CatalogueReconciler.h"
#include "catalogue/IArchiveCatalogue.h"
#include "common/IMessageSink.h"

namespace tapelink::cli {

// The upload folder given with --to, else the one stored in the settings; empty when neither is there.
std::string archiveFolderOr(const std::string& to);

// The stores of an archive folder as a command opened them, each null when none could be opened.
struct OpenArchive {
    std::shared_ptr<IArchiveCatalogue> catalogue;
    std::shared_ptr<IPhonebook> phonebook;
    std::shared_ptr<IRecordingNotes> notes;
    ReconcileReport reconciled;
};

// Opens the catalogue for writing where the folder allows it (else read-only) and reconciles it, with
// a progress line on a terminal. An unreadable catalogue is set aside and rebuilt after one message.
// Failures are told through messages; the catalogue is then null.
OpenArchive openArchive(IArchiveCatalogueOpener& catalogues, const std::string& folder, IMessageSink& messages);

// The catalogue of an archive folder as it stands, without reconciling it with the folder (for what the
// catalogue keeps beside the recordings, such as the phonebook). Null without a message where there is no
// catalogue and none can be made (a read-only folder, or ReadOnly access); failures are told through
// messages, and the catalogue is then null too.
OpenArchive openCatalogue(IArchiveCatalogueOpener& catalogues, const std::string& folder, CatalogueAccess access,
                          IMessageSink& messages);

// The one message shown when a damaged catalogue was set aside.
std::string catalogueSetAsideText(const std::string& asidePath);

}  // namespace tapelink::cli
