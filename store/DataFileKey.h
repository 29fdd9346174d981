#pragma once

#include "FileKey.h"
#include "KdfCost.h"
#include "ProtectedForm.h"

#include <QStringView>

#include <cstdint>
#include <memory>

namespace varnook {

// The key of a protected data file, derived from its master password as the file stores it: the
// password's code page codes, the very bytes its line 1 holds unscrambled. Slow by design (the cost):
// call it off the UI thread.
class DataFileKey {
public:
    // Null when the password cannot be the file's (a character the code page lacks) or the memory
    // the cost asks for could not be had.
    // formatVersion: the file's (ProtectedForm), which saves with the key keep.
    static std::shared_ptr<const FileKey> derive(QStringView masterPassword, const KdfCost &cost,
                                                 const FileKey::Salt &salt, std::uint8_t formatVersion);
    // A key for protecting a file anew, with a salt of its own. A new master password for a protected
    // file keeps the file's format version; protection given anew gets the newest.
    static std::shared_ptr<const FileKey> forNewProtection(QStringView masterPassword, const KdfCost &cost,
                                                           std::uint8_t formatVersion = ProtectedForm::NewestVersion);
};

} // namespace varnook
