#include "StoreBench.h"

#include "DataFileFormat.h"
#include "Report.h"
#include "ScrambleText.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>

namespace varnook::bench {

namespace {

const QString Master = QStringLiteral("correct horse battery");

template <typename Work> double msOf(Work &&work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void benchStore(const char *suffix, const std::vector<Entry> &entries, int runs) {
    const int n = int(entries.size());
    auto name = [suffix](const char *base) {
        return QByteArray(base) + suffix;
    };
    const QByteArray bytes = DataFileFormat::serialize(Master, entries);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("data.enc"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
            reportSkipped(name("read_parse"), n, QStringLiteral("the data file could not be written"));
            return;
        }
    }

    // Both touch the same bytes of a buffer that exists already.
    QByteArray sink(bytes.size(), Qt::Uninitialized);
    auto copy = [&] {
        std::memcpy(sink.data(), bytes.constData(), size_t(bytes.size()));
    };
    Samples copyMs, cipherMs, serializeMs, readMs, parseMs;
    std::vector<Entry> parsed;
    for (int run = 0; run < runs; ++run) {
        copyMs.add(msOf(copy));
        cipherMs.add(msOf([&] { scrambleBytes(sink); }));
        QByteArray built;
        serializeMs.add(msOf([&] { built = DataFileFormat::serialize(Master, entries); }));
        QByteArray read;
        readMs.add(msOf([&] { read = readAll(path); }));
        parseMs.add(msOf([&] {
            read = readAll(path);
            const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(read);
            parsed = DataFileFormat::readEntries(QByteArrayView(read).sliced(master.entriesStart));
        }));
        if (built != bytes || parsed != entries) {
            reportSkipped(name("read_parse"), n, QStringLiteral("the data file did not read back as written"));
            return;
        }
    }
    reportRatio(name("cipher"), n, cipherMs, "copy", copyMs);
    reportRatio(name("serialize"), n, serializeMs, "copy", copyMs);
    reportRatio(name("read_parse"), n, parseMs, "read", readMs);
}

} // namespace varnook::bench
