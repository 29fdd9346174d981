#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace varnook {

// Names, addresses and switches shown and used across the program; filled by SetBranding.
struct BrandingValues {
    QString programName;
    QString companyName;
    QString companyWebsite;
    bool skinOn = false;
    bool bannerOn = false;
    QString adServerPage;
    QString productPage;
};

// What Add and Edit hand to the entry editor when it opens.
struct EditorHandOver {
    QString EditMode;
    QString EditUsername;
    QString EditPassword;
    QString EditWebsite;
    int EditIndex = 0;
};

// The program-wide values that live for the whole run. There are no other mutable globals;
// a test resets them all with resetProgramValues().
struct ProgramValues {
    BrandingValues Branding;
    bool AppClosing = false;
    QString BrowserPage;
    QString MasterPassword;
    EditorHandOver Editor;
    QPointer<QObject> SkinRef; // the one skin, held by the splash window
    // Loads the window that holds the skin when it is not loaded (the skin routines sit below the
    // windows and cannot name it); set by that window's load step.
    std::function<void()> LoadSkinHolder;
};

ProgramValues &programValues();
void resetProgramValues();

} // namespace varnook
