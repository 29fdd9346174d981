// Feeds arbitrary bytes to the RTF reader, as the Help window would read them from Help.rtf
// (see RtfReaderChecks.h). Slow or runaway inputs are caught by the fuzzer's time and memory limits.

#include "RtfReaderChecks.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // Text documents measure with fonts, which need an application; no screen is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString fault =
        varnook::rtfReaderFault(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "fuzz_rtfreader: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
