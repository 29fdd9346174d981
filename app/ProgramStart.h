#pragma once

#include <functional>

namespace varnook {

// The program's whole run, from the first line of main() to the exit status: core dumps off, the
// application, the desktop platform, the folder lock and the event loop.
// adjustPlatform runs once the desktop platform is installed and before anything is read from the
// program folder; only a benchmark build replaces seams there. The shipped program passes nothing.
int runProgram(int argc, char *argv[], const std::function<void()> &adjustPlatform = {});

} // namespace varnook
