#include "Branding.h"

#include "Platform.h"
#include "ProgramValues.h"

namespace varnook {

void SetBranding() {
    const VersionRecord &record = platform().version;
    BrandingValues &branding = programValues().Branding;
    branding.ProgramName = record.ProductName;
    branding.CompanyName = record.CompanyName;
    branding.CompanyWebsite = record.Comments;
    branding.SkinOn = true;
    branding.BannerOn = true;
    branding.AdServerPage = VersionRecord::vendorServer() + QStringLiteral("/adserver.asp");
    branding.ProductPage = VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17");
}

} // namespace varnook
