// Loads arbitrary bytes as the data file and saves them without touching an entry (see
// UntouchedSaveChecks.h).

#include "UntouchedSaveChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString fault =
        varnook::untouchedSaveFault(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "fuzz_untouchedsave: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
