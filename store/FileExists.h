#pragma once

#include <QString>

namespace varnook {

// True when path names a normal file: not a folder, not hidden. Letter case counts exactly as the
// file system counts it, so on a case-sensitive file system "Data.ENC" does not stand for
// "data.enc". Any failure to look yields false.
bool fileExists(const QString &path);

} // namespace varnook
