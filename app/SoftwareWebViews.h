#pragma once

namespace varnook {

// The web views (the banner, the browser window) draw in software, and no OpenGL is loaded: the
// pages look the same, and the program does not carry an OpenGL driver for one banner strip (with
// Mesa's software renderer and the compiler it loads, about 85 MB). Made before the application;
// restoreEnvironment() once the application exists takes the variable back, so that programs the
// user starts from Varnook (Go To) keep their OpenGL. A value the user set stays as it is.
class SoftwareWebViews {
public:
    static constexpr const char *GlVariable = "QT_XCB_GL_INTEGRATION";

    SoftwareWebViews();
    void restoreEnvironment() const;

private:
    bool m_setHere;
};

} // namespace varnook
