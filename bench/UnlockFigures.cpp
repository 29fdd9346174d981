#include "UnlockFigures.h"

#include "Report.h"

namespace varnook::bench {

void UnlockFigures::add(double startupMs, double waitedMs, double unsealMs) {
    const double derived = waitedMs - unsealMs;
    m_unlocked.add(startupMs);
    m_kdf.add(derived);
    m_rest.add(startupMs - derived);
    m_unseal.add(unsealMs);
}

QString UnlockFigures::line(int entries) const {
    return timesLine("unlock_protected", entries, m_unlocked,
                     QStringLiteral("kdf_ms=%1 rest_ms=%2 unseal_ms=%3")
                         .arg(m_kdf.median(), 0, 'f', 3)
                         .arg(m_rest.median(), 0, 'f', 3)
                         .arg(m_unseal.median(), 0, 'f', 3));
}

} // namespace varnook::bench
