#pragma once

#include <QSignalSpy>

namespace varnook::test {

// The web engine's first start on a fresh machine, with the whole suite running beside it, takes
// far longer than any later page load: a wait that is long enough for that start costs nothing
// where the page comes at once.
constexpr int PageLoadTimeoutMs = 120000;

// Whether the signal spy watches for has come: already, or within the page-load time.
inline bool pageSignalArrived(QSignalSpy &spy) {
    return !spy.isEmpty() || spy.wait(PageLoadTimeoutMs);
}

} // namespace varnook::test
