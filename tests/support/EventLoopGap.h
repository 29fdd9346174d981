#pragma once

#include <functional>

namespace varnook::test {

// Runs action from the event loop and returns, in milliseconds, the longest the loop went without a
// turn meanwhile and while it handled what the action left queued (layouts, paints): how long the
// user waited for the window to answer.
double longestEventLoopGap(const std::function<void()> &action);

} // namespace varnook::test
