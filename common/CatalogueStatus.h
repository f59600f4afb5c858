#pragma once

namespace tapelink {

// How a call on one of an archive's stores (its catalogue, phonebook or notes) went.
enum class CatalogueStatus {
    Ok,
    Unreadable,      // the store is damaged or not a catalogue
    ReadOnly,        // opened for reading only; nothing can be recorded
    NewerVersion,    // written by a later version of the program
    Failed,          // any other error (disk full, locked for too long)
    ConnectionLost,  // the store is reached over a connection that broke; trying again may work
};

}  // namespace tapelink
