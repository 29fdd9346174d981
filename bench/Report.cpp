#include "Report.h"

#include <cstdio>

namespace varnook::bench {

namespace {

QString figures(const char *unit, const Samples &samples, int decimals) {
    return QStringLiteral("%1=%2 min=%3 max=%4")
        .arg(QLatin1String(unit))
        .arg(samples.median(), 0, 'f', decimals)
        .arg(samples.min(), 0, 'f', decimals)
        .arg(samples.max(), 0, 'f', decimals);
}

QString line(const char *name, int entries, const QString &fields, const QString &more, int runs) {
    QString text = QStringLiteral("bench: %1 entries=%2 %3").arg(QLatin1String(name)).arg(entries).arg(fields);
    if (!more.isEmpty())
        text += QLatin1Char(' ') + more;
    if (runs > 0)
        text += QStringLiteral(" runs=%1").arg(runs);
    return text;
}

void print(const QString &text) {
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

} // namespace

QString timesLine(const char *name, int entries, const Samples &ms, const QString &more) {
    return line(name, entries, figures("ms", ms, 3), more, ms.count());
}

QString ratioLine(const char *name, int entries, const Samples &ms, const char *baseline, const Samples &baselineMs,
                  const QString &more) {
    const QString fields = figures("ms", ms, 3) + QStringLiteral(" baseline=%1 baseline_ms=%2 ratio=%3")
                                                      .arg(QLatin1String(baseline))
                                                      .arg(baselineMs.median(), 0, 'f', 3)
                                                      .arg(ms.median() / baselineMs.median(), 0, 'f', 3);
    return line(name, entries, fields, more, ms.count());
}

QString memoryLine(const char *name, int entries, const Samples &kb, const QString &more) {
    return line(name, entries, figures("kb", kb, 0), more, kb.count());
}

QString skippedLine(const char *name, int entries, const QString &reason, const QString &more) {
    QString why = reason.simplified();
    why.replace(QLatin1Char(' '), QLatin1Char('_'));
    return line(name, entries, QStringLiteral("skipped=") + why, more, 0);
}

void reportTimes(const char *name, int entries, const Samples &ms, const QString &more) {
    print(timesLine(name, entries, ms, more));
}

void reportRatio(const char *name, int entries, const Samples &ms, const char *baseline, const Samples &baselineMs,
                 const QString &more) {
    print(ratioLine(name, entries, ms, baseline, baselineMs, more));
}

void reportMemory(const char *name, int entries, const Samples &kb, const QString &more) {
    print(memoryLine(name, entries, kb, more));
}

void reportSkipped(const char *name, int entries, const QString &reason, const QString &more) {
    print(skippedLine(name, entries, reason, more));
}

} // namespace varnook::bench
