#pragma once

namespace tapelink {

// The SQLite catalogue's file in the archive's own folder; its journals carry the same name with a suffix.
inline constexpr const char* kCatalogueFileName = "catalogue.sqlite";

}  // namespace tapelink
