#include "catalogue/CatalogueFailureText.h"

namespace tapelink {

std::string catalogueFailureText(CatalogueStatus status, bool tellNewer) {
    if (status == CatalogueStatus::ConnectionLost) return kCatalogueConnectionLost;
    if (status == CatalogueStatus::NewerVersion && tellNewer) return kCatalogueNewer;
    return kCatalogueFailed;
}

}  // namespace tapelink
