#pragma once

#include <QString>

namespace varnook {

// The executable's version record: the strings and numbers the program reports about itself.
struct VersionRecord {
    QString productName;
    QString companyName;
    QString comments; // the company's web address, a bare host name
    int major = 0;
    int minor = 0;
    int patch = 0;
    int tweak = 0;

    // The record compiled into this build.
    static VersionRecord builtIn();
    // The vendor's web server, e.g. "https://host"; the ad-server and product pages live there. In a
    // build that serves those pages itself, its scheme is the program's own ("varnook://host").
    static QString vendorServer();
};

} // namespace varnook
