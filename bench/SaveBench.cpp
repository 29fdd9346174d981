#include "SaveBench.h"

#include "BenchData.h"
#include "ProtectedForm.h"
#include "Report.h"
#include "SaveBenchFolder.h"
#include "Session.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace varnook::bench {

namespace {

template <typename Work> double msOf(Work &&work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool writeAll(int descriptor, const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Write beside the file, fsync, rename over it, fsync the folder: what any save that never loses the
// old file must do, with nothing else.
bool replaceRaw(const QString &path, const QByteArray &bytes) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".raw";
    const int file = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0)
        return false;
    const bool written = writeAll(file, bytes) && ::fsync(file) == 0;
    if (::close(file) != 0 || !written || ::rename(temporary.constData(), target.constData()) != 0)
        return false;
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    const bool synced = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0)
        ::close(folder);
    return synced;
}

QByteArray contentsOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void benchSaves(int entries, const QByteArray &dataFile, const QString &password, int runs) {
    Samples first, firstRaw, later, laterRaw, merge, mergeRaw;
    // Another computer's save, brought by a sync engine: the same file with one entry more.
    const Entry theirs{QStringLiteral("theirs"), QStringLiteral("pw-theirs"), QStringLiteral("other.example")};
    const Entry mine{QStringLiteral("mine"), QStringLiteral("pw-mine"), QStringLiteral("here.example")};
    const QByteArray otherFile = withEntryAdded(dataFile, theirs);
    const QByteArray merged = withEntryAdded(otherFile, mine);
    for (int run = 0; run < runs; ++run) {
        const SaveBenchFolder folder(password);
        // Both sides replace a file that is on the disk already, as a user's data file is: the save
        // the data file, the baseline a file of its own beside it.
        const QString rawPath = QDir(folder.programFolder()).filePath(QStringLiteral("raw.enc"));
        if (!replaceRaw(folder.dataFile(), dataFile) || !replaceRaw(rawPath, dataFile)) {
            reportSkipped("first_save", entries, QStringLiteral("the data file could not be written"));
            return;
        }
        Session session{Session::inDataFolder()};
        if (!session.load() || session.entries().count() != entries || folder.boxesShown() != 1) {
            reportSkipped("first_save", entries, QStringLiteral("the data file did not load as written"));
            return;
        }
        // The first save after the load, then the same bytes written raw; a later save, raw again.
        bool saved = true;
        first.add(msOf([&] { saved = session.save() && saved; }));
        const QByteArray bytes = contentsOf(folder.dataFile());
        bool replaced = true;
        firstRaw.add(msOf([&] { replaced = replaceRaw(rawPath, bytes) && replaced; }));
        later.add(msOf([&] { saved = session.save() && saved; }));
        laterRaw.add(msOf([&] { replaced = replaceRaw(rawPath, bytes) && replaced; }));
        if (!saved || !replaced || bytes != dataFile || folder.boxesShown() != 1) {
            reportSkipped("first_save", entries,
                          !saved || !replaced ? QStringLiteral("a save failed")
                                              : QStringLiteral("the save did not write the bytes it loaded"));
            return;
        }

        // The other computer's file renamed over this one, then a save of one add made here.
        QSaveFile arrived(folder.dataFile());
        if (!arrived.open(QIODevice::WriteOnly) || arrived.write(otherFile) != otherFile.size() || !arrived.commit()) {
            reportSkipped("merge_save", entries, QStringLiteral("the other file could not be put in place"));
            return;
        }
        // A sync engine gives the file the time the other computer saved it, a few seconds ago.
        QFile dated(folder.dataFile());
        if (!dated.open(QIODevice::ReadWrite) ||
            !dated.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime)) {
            reportSkipped("merge_save", entries, QStringLiteral("the other file's time could not be set"));
            return;
        }
        dated.close();
        session.entries().add(mine);
        merge.add(msOf([&] { saved = session.save(EntryChange{EntryChange::Kind::Add, {}, mine}); }));
        mergeRaw.add(msOf([&] { replaced = replaceRaw(rawPath, merged); }));
        if (!saved || !replaced || contentsOf(folder.dataFile()) != merged) {
            reportSkipped("merge_save", entries, QStringLiteral("the merged save did not write both entries"));
            return;
        }
    }
    reportRatio("first_save", entries, first, "write_fsync", firstRaw);
    reportRatio("save_data", entries, later, "write_fsync", laterRaw);
    reportRatio("merge_save", entries, merge, "write_fsync", mergeRaw);
}

void benchProtectedSaves(int entries, const QByteArray &protectedFile, const FileKey &key, const QString &password,
                         int runs) {
    constexpr const char *Name = "save_protected";
    // To check that each save wrote the list it loaded, sealed anew.
    const QByteArray plain = ProtectedForm::open(protectedFile, key).plain;
    if (plain.isEmpty()) {
        reportSkipped(Name, entries, QStringLiteral("the protected file does not open"));
        return;
    }
    Samples later, laterRaw;
    for (int run = 0; run < runs; ++run) {
        const SaveBenchFolder folder(password);
        const QString rawPath = QDir(folder.programFolder()).filePath(QStringLiteral("raw.enc"));
        if (!replaceRaw(folder.dataFile(), protectedFile) || !replaceRaw(rawPath, protectedFile)) {
            reportSkipped(Name, entries, QStringLiteral("the data file could not be written"));
            return;
        }
        Session session{Session::inDataFolder()};
        // The password box, then the wait box for the key.
        if (!session.load() || session.entries().count() != entries || folder.boxesShown() != 2) {
            reportSkipped(Name, entries, QStringLiteral("the data file did not load as written"));
            return;
        }
        // The first save after the load, then the later one that is measured, and the bytes it wrote
        // written raw.
        bool saved = session.save();
        later.add(msOf([&] { saved = session.save() && saved; }));
        const QByteArray bytes = contentsOf(folder.dataFile());
        bool replaced = true;
        laterRaw.add(msOf([&] { replaced = replaceRaw(rawPath, bytes); }));
        const ProtectedForm::Opened written = ProtectedForm::open(bytes, key);
        if (!saved || !replaced || folder.boxesShown() != 2) {
            reportSkipped(Name, entries, QStringLiteral("a save failed"));
            return;
        }
        if (written.outcome != ProtectedForm::Opened::Outcome::Plain || written.plain != plain ||
            bytes == protectedFile) {
            reportSkipped(Name, entries, QStringLiteral("the save did not seal the list it loaded anew"));
            return;
        }
    }
    reportRatio(Name, entries, later, "write_fsync", laterRaw);
}

} // namespace varnook::bench
