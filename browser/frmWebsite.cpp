#include "frmWebsite.h"

#include "Platform.h"
#include "ProgramValues.h"

namespace varnook {

frmWebsite::frmWebsite(QWidget *parent)
    : Form(parent) {
    setObjectName(QStringLiteral("frmWebsite"));
}

bool frmWebsite::Form_Load() {
    setWindowTitle(programValues().Branding.CompanyWebsite);
    return true;
}

void frmWebsite::Form_Unload() {
    // Closed last, after the main window: the program ends with this window.
    if (programValues().AppClosing)
        platform().process->endProgram(0);
}

} // namespace varnook
