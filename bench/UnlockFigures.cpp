#include "UnlockFigures.h"

#include "Report.h"

namespace varnook::bench {

void UnlockFigures::add(double startupMs, double waitedMs, double kdfMs) {
    m_unlocked.add(startupMs);
    m_kdf.add(kdfMs);
    m_rest.add(startupMs - kdfMs);
    m_waited.add(waitedMs);
}

QString UnlockFigures::line(int entries) const {
    return timesLine("unlock_protected", entries, m_unlocked,
                     QStringLiteral("kdf_ms=%1 rest_ms=%2 wait_ms=%3")
                         .arg(m_kdf.median(), 0, 'f', 3)
                         .arg(m_rest.median(), 0, 'f', 3)
                         .arg(m_waited.median(), 0, 'f', 3));
}

} // namespace varnook::bench
