#pragma once

namespace varnook::fuzzing {

// The first property an input breaks: thrown by check(), caught where the input's checks start.
struct Broken {
    const char *what;
};

inline void check(bool condition, const char *what) {
    if (!condition)
        throw Broken{what};
}

} // namespace varnook::fuzzing
