#pragma once

namespace varnook {

struct LoadResult;

// The login box for a data file in the protected form: each typed password derives the file's key
// off the UI thread, under a box that says so, and the header tells whether it was the right one.
class ProtectedLogin {
public:
    // Asks until read (Protected) is opened: true once it is HasMasterPassword, with its key, or
    // Damaged (the right password, a body that cannot be read); false when the user cancelled or
    // used up the tries.
    static bool open(LoadResult &read);
};

} // namespace varnook
