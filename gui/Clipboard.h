#pragma once

#include <QString>

namespace varnook {

// The desktop clipboard as the entry commands use it.
class Clipboard {
public:
    enum Kind { Plain, Secret };

    static void clear();
    // A secret carries the hint that keeps desktop clipboard managers from recording it.
    static void copy(const QString &text, Kind kind);
};

} // namespace varnook
