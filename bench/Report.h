#pragma once

#include "Samples.h"

#include <QString>

namespace varnook::bench {

// One line per measurement, "bench: <name> entries=<n> ms=<median> min=… max=…", the fields after it
// and "runs=…" last, for scripts to compare. Each format function gives the line without its line
// end; each report function prints it.
QString timesLine(const char *name, int entries, const Samples &ms, const QString &more = {});
// With a baseline measured run by run beside it: baseline=<name> baseline_ms=… ratio=<ms/baseline_ms>.
QString ratioLine(const char *name, int entries, const Samples &ms, const char *baseline, const Samples &baselineMs,
                  const QString &more = {});
// Peak memory in kB: kb=<median> min=… max=….
QString memoryLine(const char *name, int entries, const Samples &kb, const QString &more = {});
// A measurement that could not be made: skipped=<the reason, blanks as underscores>.
QString skippedLine(const char *name, int entries, const QString &reason, const QString &more = {});

void reportTimes(const char *name, int entries, const Samples &ms, const QString &more = {});
void reportRatio(const char *name, int entries, const Samples &ms, const char *baseline, const Samples &baselineMs,
                 const QString &more = {});
void reportMemory(const char *name, int entries, const Samples &kb, const QString &more = {});
void reportSkipped(const char *name, int entries, const QString &reason, const QString &more = {});

} // namespace varnook::bench
