#include "Branding.h"

#include "Platform.h"
#include "ProgramValues.h"

namespace varnook {

void SetBranding() {
    const VersionRecord &record = platform().version;
    BrandingValues &branding = programValues().Branding;
    branding.programName = record.productName;
    branding.companyName = record.companyName;
    branding.companyWebsite = record.comments;
    branding.skinOn = true;
    branding.bannerOn = true;
    branding.adServerPage = VersionRecord::vendorServer() + QStringLiteral("/adserver.asp");
    branding.productPage = VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17");
}

} // namespace varnook
