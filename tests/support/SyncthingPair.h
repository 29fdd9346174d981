#pragma once

#include "SyncthingInstance.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace varnook::test {

// Two Syncthing instances on 127.0.0.1 that keep two program folders the same, as two computers
// syncing one Varnook folder would: A's folder with B's.
class SyncthingPair {
public:
    static constexpr const char *FolderId = "varnook";
    // What a synced program folder must keep to itself, written as each folder's .stignore. A user
    // who syncs the folder needs the same lines.
    static const QByteArray IgnoreFile;

    SyncthingPair();
    // Stops both; their logs' last lines go to the test's output when it failed.
    ~SyncthingPair();

    // Prepares both folders, makes, configures and starts both instances and waits until each is
    // connected to the other; false, with the reason in error(), when that failed.
    bool start(const QString &folderA, const QString &folderB);
    // True when each side has scanned its folder, fetched all the other has, and knows that the
    // other has all it has.
    bool idle() const;
    // The conflict copies Syncthing made in either folder, as paths.
    QStringList conflictCopies() const;
    // Both instances' view of the folder, for a failure message.
    QString describe() const;
    const QString &error() const { return m_error; }

private:
    bool connected() const;
    bool fail(const QString &reason);

    std::unique_ptr<SyncthingInstance> m_a;
    std::unique_ptr<SyncthingInstance> m_b;
    QStringList m_folders;
    QString m_error;
};

} // namespace varnook::test
