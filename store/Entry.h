#pragma once

#include <QString>

namespace varnook {

// One stored credential: shown as the list's three columns, stored as one line of the data file.
struct Entry {
    QString username;
    QString password;
    QString location;

    friend bool operator==(const Entry &, const Entry &) = default;
};

} // namespace varnook
