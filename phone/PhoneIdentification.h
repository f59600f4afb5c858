#pragma once

#include <string>
#include <string_view>

namespace tapelink {

// The fragment every telephone's disk identification carries: its USB vendor word and product text.
inline constexpr std::string_view kPhoneIdentificationFragment = "ven_nodara&prod_zt_usb_flashdisk";

// A disk's identification text from its vendor and model strings: "ven_" + vendor + "&prod_" + model,
// each trimmed and lower-cased, with spaces written as underscores.
std::string diskIdentification(std::string_view vendor, std::string_view model);

// True when the identification text names the telephone.
bool isPhoneIdentification(std::string_view identification);

}  // namespace tapelink
