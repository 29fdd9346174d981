#pragma once

#include "Samples.h"

#include <QString>

namespace varnook::bench {

// The unlock_protected line over its runs. Each run gives the start's time (the password box's OK to
// the painted list), the work behind the wait box in the program (deriving the key, then opening the
// body) and, of that, the key derivation, as the program's key timed it.
class UnlockFigures {
public:
    void add(double startupMs, double waitedMs, double kdfMs);
    int count() const { return m_unlocked.count(); }
    // "bench: unlock_protected entries=N ms=… min=… max=… kdf_ms=… rest_ms=… wait_ms=… runs=…":
    // medians of the derivation, of the start less its own run's derivation, and of the wait.
    QString line(int entries) const;

private:
    Samples m_unlocked;
    Samples m_kdf;
    Samples m_rest;
    Samples m_waited;
};

} // namespace varnook::bench
