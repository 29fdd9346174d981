// Feeds arbitrary bytes to the data file's reader and writer (see DataFileChecks.h).

#include "DataFileChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString fault = varnook::dataFileFault(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "fuzz_datafile: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
