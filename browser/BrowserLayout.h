#pragma once

namespace varnook {

// How the browser window fits its controls to its size. All values are twips, computed in single
// precision; sizes are taken as absolute values, so a very small window still gets no negative size.
struct BrowserLayout {
    // What the layout reads: the window's outer width and inner height, the status bar's height and the places of
    // the controls that stay where the design put them.
    struct Input {
        float windowWidth = 0;
        float windowHeight = 0;
        float statusBarHeight = 0;
        float addressLeft = 0;
        float goWidth = 0;
        float webBrowserLeft = 0;
        float webBrowserTop = 0;
    };

    float panel1Width = 0;
    float panel2Width = 0;
    float frameHeight = 0;
    float frameWidth = 0;
    float addressWidth = 0;
    float goLeft = 0; // a place, not a size: never made absolute
    float webBrowserWidth = 0;
    float webBrowserHeight = 0;

    static BrowserLayout arrange(const Input &in);
};

} // namespace varnook
