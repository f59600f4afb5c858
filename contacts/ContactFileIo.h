#pragma once

#include <string>
#include <vector>

#include "contacts/ContactCsv.h"
#include "contacts/ContactFile.h"

namespace tapelink {

enum class ContactFileStatus { Ok, Unreadable, TooLarge, Unwritable };

// Reads a contact file a user picked: vCard when it begins with BEGIN:VCARD or is named .vcf/.vcard,
// CSV otherwise (with the given columns). Files past 64 MiB are no contact list.
ContactFileStatus readContactFile(const std::string& path, const ContactCsvColumns& columns, ContactFileContents& out);

// Writes a contact file's text (contactCsvText, contactVcardText) to path: into a temporary file beside
// it, flushed, then renamed into place, so a failure leaves what was there before.
ContactFileStatus writeContactFile(const std::string& path, const std::string& text);

}  // namespace tapelink
