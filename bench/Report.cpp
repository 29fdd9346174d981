#include "Report.h"

#include <cstdio>

namespace varnook::bench {

namespace {
QString times(const Samples &ms) {
    return QStringLiteral("ms=%1 min=%2 max=%3")
        .arg(ms.median(), 0, 'f', 2)
        .arg(ms.min(), 0, 'f', 2)
        .arg(ms.max(), 0, 'f', 2);
}

void print(const char *name, int entries, const QString &fields) {
    std::printf("bench: %s entries=%d %s\n", name, entries, qPrintable(fields));
    std::fflush(stdout);
}
} // namespace

void reportTimes(const char *name, int entries, const Samples &ms, const QString &more) {
    QString fields = times(ms);
    if (!more.isEmpty())
        fields += QLatin1Char(' ') + more;
    print(name, entries, fields + QStringLiteral(" runs=%1").arg(ms.count()));
}

void reportRatio(const char *name, int entries, const Samples &ms, const char *baseline, const Samples &baselineMs,
                 const QString &more) {
    QString fields = times(ms) + QStringLiteral(" baseline=%1 baseline_ms=%2 ratio=%3")
                                     .arg(QLatin1String(baseline))
                                     .arg(baselineMs.median(), 0, 'f', 2)
                                     .arg(ms.median() / baselineMs.median(), 0, 'f', 3);
    if (!more.isEmpty())
        fields += QLatin1Char(' ') + more;
    print(name, entries, fields + QStringLiteral(" runs=%1").arg(ms.count()));
}

void reportSkipped(const char *name, int entries, const QString &reason, const QString &more) {
    QString why = reason.simplified();
    why.replace(QLatin1Char(' '), QLatin1Char('_'));
    print(name, entries,
          QStringLiteral("skipped=%1").arg(why) + (more.isEmpty() ? QString() : QLatin1Char(' ') + more));
}

} // namespace varnook::bench
