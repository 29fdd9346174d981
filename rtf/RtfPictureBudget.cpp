#include "RtfPictureBudget.h"

namespace varnook {

bool RtfPictureBudget::take(qreal height) {
    if (m_closed || m_shown >= MaxPictures || m_height + height > MaxTotalHeight) {
        m_closed = true;
        ++m_leftOut;
        return false;
    }
    ++m_shown;
    m_height += height;
    return true;
}

void RtfPictureBudget::leaveOut() {
    m_closed = true;
    ++m_leftOut;
}

} // namespace varnook
