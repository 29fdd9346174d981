#include "VersionRecord.h"

#include "VersionRecordValues.h"

namespace varnook {

VersionRecord VersionRecord::builtIn() {
    VersionRecord record;
    record.productName = QStringLiteral(VARNOOK_PRODUCT_NAME);
    record.companyName = QStringLiteral(VARNOOK_COMPANY_NAME);
    record.comments = QStringLiteral(VARNOOK_COMMENTS);
    record.major = VARNOOK_VERSION_MAJOR;
    record.minor = VARNOOK_VERSION_MINOR;
    record.patch = VARNOOK_VERSION_PATCH;
    record.tweak = VARNOOK_VERSION_TWEAK;
    return record;
}

QString VersionRecord::vendorServer() {
    return QStringLiteral(VARNOOK_VENDOR_SCHEME "://" VARNOOK_VENDOR_HOST);
}

} // namespace varnook
