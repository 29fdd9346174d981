#include "Branding.h"

namespace varnook {

Branding Branding::fromVersion(const VersionRecord &record) {
    Branding branding;
    branding.programName = record.productName;
    branding.companyName = record.companyName;
    branding.companyWebsite = record.comments;
    branding.adServerPage = VersionRecord::vendorServer() + QStringLiteral("/adserver.asp");
    branding.productPage = VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17");
    return branding;
}

} // namespace varnook
