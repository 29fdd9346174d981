#include "frmAbout.h"

namespace varnook {

frmAbout::frmAbout(QWidget *parent)
    : Form(parent) {
    setObjectName(QStringLiteral("frmAbout"));
}

bool frmAbout::Form_Load() {
    return true;
}

} // namespace varnook
