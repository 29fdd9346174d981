#pragma once

#include "Platform.h"

namespace varnook {

// The box the entry commands show when an entry cannot be saved: OK only, titled "Error".
inline void showError(const QString &text) {
    MessageBoxRequest box;
    box.text = text;
    box.title = QStringLiteral("Error");
    platform().dialogs->messageBox(box);
}

} // namespace varnook
