#pragma once

namespace varnook {

// Fills the program's branding values from the version record and the vendor's fixed pages.
void SetBranding();

} // namespace varnook
