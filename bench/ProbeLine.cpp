#include "ProbeLine.h"

#include <QList>
#include <QMap>

namespace varnook::bench {

namespace {
constexpr QByteArrayView Prefix = "benched: ";
}

QByteArray probeLine(const ProbeFigures &figures) {
    QByteArray line = Prefix.toByteArray();
    if (figures.prompted)
        line += "launched_ns=" + QByteArray::number(figures.launchedNs) +
                " prompt_ns=" + QByteArray::number(figures.promptNs) + ' ';
    line += "ok_ns=" + QByteArray::number(figures.okNs) + " painted_ns=" + QByteArray::number(figures.paintedNs);
    // Only a start that waited (a protected file) has the field: the other lines stay as they were.
    if (figures.waitedNs > 0)
        line += " waited_ns=" + QByteArray::number(figures.waitedNs);
    if (figures.kdfNs > 0)
        line += " kdf_ns=" + QByteArray::number(figures.kdfNs);
    if (figures.clicked)
        line += " released_ns=" + QByteArray::number(figures.releasedNs) +
                " sorted_ns=" + QByteArray::number(figures.sortedNs);
    if (figures.reloaded)
        line += " reload_seen_ns=" + QByteArray::number(figures.reloadSeenNs) +
                " reload_painted_ns=" + QByteArray::number(figures.reloadPaintedNs);
    if (figures.found)
        line += " key_ns=" + QByteArray::number(figures.keyNs) + " found_ns=" + QByteArray::number(figures.foundNs);
    return line + " startup_hwm_kb=" + QByteArray::number(qint64(figures.startupPeakKb)) +
           " hwm_kb=" + QByteArray::number(qint64(figures.peakKb)) +
           " pss_kb=" + QByteArray::number(qint64(figures.pssKb));
}

std::optional<ProbeFigures> readProbeLine(const QByteArray &output) {
    for (const QByteArray &line : output.split('\n')) {
        if (!line.startsWith(Prefix))
            continue;
        QMap<QByteArray, qint64> fields;
        for (const QByteArray &field : line.mid(Prefix.size()).split(' ')) {
            const qsizetype equals = field.indexOf('=');
            bool isNumber = false;
            const qint64 value = equals > 0 ? field.mid(equals + 1).toLongLong(&isNumber) : 0;
            if (!isNumber)
                return std::nullopt;
            fields.insert(field.left(equals), value);
        }
        for (const char *name : {"ok_ns", "painted_ns", "startup_hwm_kb", "hwm_kb"}) {
            if (!fields.contains(name))
                return std::nullopt;
        }
        // The wait box came after the OK and was over before the paint.
        const qint64 waited = fields.value("waited_ns");
        if (waited < 0 || waited > fields.value("painted_ns") - fields.value("ok_ns"))
            return std::nullopt;
        // The key was derived during the wait.
        const qint64 kdf = fields.value("kdf_ns");
        if (kdf < 0 || kdf > waited)
            return std::nullopt;
        ProbeFigures figures;
        figures.prompted = fields.contains("launched_ns") && fields.contains("prompt_ns");
        figures.launchedNs = fields.value("launched_ns");
        figures.promptNs = fields.value("prompt_ns");
        figures.okNs = fields.value("ok_ns");
        figures.paintedNs = fields.value("painted_ns");
        figures.waitedNs = waited;
        figures.kdfNs = kdf;
        figures.clicked = fields.contains("released_ns") && fields.contains("sorted_ns");
        figures.releasedNs = fields.value("released_ns");
        figures.sortedNs = fields.value("sorted_ns");
        figures.reloaded = fields.contains("reload_seen_ns") && fields.contains("reload_painted_ns");
        figures.reloadSeenNs = fields.value("reload_seen_ns");
        figures.reloadPaintedNs = fields.value("reload_painted_ns");
        figures.found = fields.contains("key_ns") && fields.contains("found_ns");
        figures.keyNs = fields.value("key_ns");
        figures.foundNs = fields.value("found_ns");
        figures.startupPeakKb = long(fields.value("startup_hwm_kb"));
        figures.peakKb = long(fields.value("hwm_kb"));
        figures.pssKb = long(fields.value("pss_kb"));
        // The reload comes after the start-up and the sort click, the key in the find bar last.
        const qint64 beforeReload = figures.clicked ? figures.sortedNs : figures.paintedNs;
        const qint64 beforeKey = figures.reloaded ? figures.reloadPaintedNs : beforeReload;
        const bool inOrder =
            (!figures.prompted || (figures.promptNs >= figures.launchedNs && figures.okNs >= figures.promptNs)) &&
            figures.paintedNs >= figures.okNs &&
            (!figures.clicked || (figures.releasedNs >= figures.paintedNs && figures.sortedNs >= figures.releasedNs)) &&
            (!figures.reloaded ||
             (figures.reloadSeenNs >= beforeReload && figures.reloadPaintedNs >= figures.reloadSeenNs)) &&
            (!figures.found || (figures.keyNs >= beforeKey && figures.foundNs >= figures.keyNs));
        if (!inOrder || fields.contains("released_ns") != fields.contains("sorted_ns") ||
            fields.contains("reload_seen_ns") != fields.contains("reload_painted_ns") ||
            fields.contains("key_ns") != fields.contains("found_ns") ||
            fields.contains("launched_ns") != fields.contains("prompt_ns"))
            return std::nullopt;
        return figures;
    }
    return std::nullopt;
}

} // namespace varnook::bench
