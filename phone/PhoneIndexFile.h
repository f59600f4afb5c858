#pragma once

#include "phone/PhoneIndexHeader.h"
#include "phone/PhoneVolume.h"

namespace tapelink {

enum class IndexReadResult { Ok, CannotOpen, TooShort, BadMagic };

// Whether the header may be written to the volume now, and so whether anything else may be changed there.
enum class IndexWriteCheck {
    Ok,
    NotReady,       // not the volume (or index file) the header was read from
    IndexUnusable,  // the header was not read from a valid index: missing, short or of the wrong magic
    ReadOnly,       // the volume or the index file refuses writes
};

// Reads the first 124 bytes of system/phone.bin, opened read-only, and records in header.origin where they
// came from. Unless Ok, the header holds no usable index (zeroed when nothing could be read), so nothing
// will ever write it.
IndexReadResult readIndexHeader(const PhoneVolume& volume, PhoneIndexHeader& header);

// Checks, without changing anything, that header can be written to this volume's index.
IndexWriteCheck checkIndexWritable(const PhoneVolume& volume, const PhoneIndexHeader& header);

// Writes the 124 bytes at offset 0 of the existing index after checkIndexWritable: never creates or
// truncates it, and leaves every byte after the header as it is.
IndexWriteCheck writeIndexHeader(const PhoneVolume& volume, const PhoneIndexHeader& header);

// The message for a refusal; empty for Ok.
const char* refusalText(IndexWriteCheck check);

}  // namespace tapelink
