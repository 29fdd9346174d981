// Feeds arbitrary bytes to the protected form's reader, and seals them as a plain form (see
// ProtectedFormChecks.h).

#include "ProtectedFormChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString fault =
        varnook::protectedFormFault(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "fuzz_protectedform: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
