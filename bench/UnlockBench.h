#pragma once

#include "StartupBench.h"

#include <QByteArray>

namespace varnook::bench {

// Starts the program afresh for every run on a data file in the protected form and reports the time
// from the password box's OK to the list and status line on screen, with the part of it that was
// the key derivation, as the program's key timed it. setup.password opens the file; setup.clickHeader
// is not used: the line is the start's alone.
void benchUnlock(const StartupSetup &setup, int entries, const QByteArray &protectedFile);

} // namespace varnook::bench
