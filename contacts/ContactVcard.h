#pragma once

#include <string>
#include <vector>

#include "contacts/ContactFile.h"

namespace tapelink {

// Reads vCard 2.1, 3.0 and 4.0 files as phones and mail programs export them: the name from FN (else N),
// the numbers from TEL (text or tel: URIs), the company from ORG; folded lines, QUOTED-PRINTABLE with
// soft line breaks, CHARSET=UTF-8 or GBK (texts without a charset are taken as UTF-8 where they are
// valid UTF-8, else as GBK). A card cut off at the end of the file still gives what it holds.
ContactFileContents readContactVcard(const std::string& bytes);

// The contacts as vCard 3.0 cards (UTF-8, CRLF line ends), as phones import them.
std::string contactVcardText(const std::vector<Contact>& contacts);

}  // namespace tapelink
