#pragma once

#include "VersionRecord.h"

#include <QString>

namespace varnook {

// The names, addresses and switches the windows show and use, taken from the version record and
// the vendor's fixed pages. A value: the owner makes it once and hands it to the windows.
struct Branding {
    QString programName;
    QString companyName;
    QString companyWebsite;
    bool skinOn = true;
    bool bannerOn = true;
    QString adServerPage;
    QString productPage;

    static Branding fromVersion(const VersionRecord &record);
};

} // namespace varnook
