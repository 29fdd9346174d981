#include "SkinLabel.h"

namespace varnook {

SkinLabel::SkinLabel(QWidget *parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Opaque, so that a skinned label laid over a plain one hides it.
    setAutoFillBackground(true);
}

} // namespace varnook
