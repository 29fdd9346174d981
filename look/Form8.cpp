#include "Form8.h"

namespace varnook {

Form8::Form8(QWidget *parent)
    : Form(parent) {
    setObjectName(QStringLiteral("Form8"));
}

bool Form8::Form_Load() {
    return true;
}

} // namespace varnook
