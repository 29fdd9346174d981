#pragma once

namespace varnook::test {

// Destroys every top-level window a test left behind, closed or not, and runs pending deletions:
// the next test starts without windows.
void destroyAllWindows();

} // namespace varnook::test
