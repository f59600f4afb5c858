#pragma once

#include <vector>

#include "contacts/Contact.h"
#include "phone/DemoVolume.h"

namespace tapelink {

// A phonebook for the demo telephone: most of its numbers belong to people and companies, written the
// many ways people write numbers (+86 and spaces, dashes, an area code in brackets, a local number
// without one), and some numbers belong to no one. The same plan always gives the same phonebook.
std::vector<Contact> planDemoPhonebook(const std::vector<DemoRecording>& plan);

}  // namespace tapelink
