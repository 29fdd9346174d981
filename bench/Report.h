#pragma once

#include "Samples.h"

#include <QString>

namespace varnook::bench {

// One line per measurement, "bench: <name> entries=<n> ms=<median> min=… max=… runs=…" and the
// fields after it, for scripts to compare.
void reportTimes(const char *name, int entries, const Samples &ms, const QString &more = {});
// The same with a baseline measured run by run beside it: baseline=<name> baseline_ms=… ratio=….
void reportRatio(const char *name, int entries, const Samples &ms, const char *baseline, const Samples &baselineMs,
                 const QString &more = {});
// A line for a measurement that could not be made, with the reason.
void reportSkipped(const char *name, int entries, const QString &reason, const QString &more = {});

} // namespace varnook::bench
