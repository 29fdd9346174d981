#include "BrowserLayout.h"

#include <cmath>

namespace varnook {

BrowserLayout BrowserLayout::arrange(const Input &in) {
    BrowserLayout out;
    out.panel1Width = std::fabs(in.windowWidth / 2.0f);
    out.panel2Width = std::fabs(in.windowWidth / 2.0f);
    out.frameHeight = std::fabs(in.windowHeight - in.statusBarHeight);
    out.frameWidth = std::fabs(in.windowWidth - 300.0f);
    // Go ends 200 twips short of the frame's right edge, 100 after the address box.
    out.addressWidth = std::fabs(out.frameWidth - in.addressLeft - 300.0f - in.goWidth);
    out.goLeft = out.addressWidth + in.addressLeft + 100.0f;
    out.webBrowserWidth = std::fabs(out.frameWidth - in.webBrowserLeft - 100.0f);
    // The page ends 100 twips short of the frame's bottom edge, as it does at its right edge; the
    // frame already ends at the status bar.
    out.webBrowserHeight = std::fabs(out.frameHeight - in.webBrowserTop - 100.0f);
    return out;
}

} // namespace varnook
