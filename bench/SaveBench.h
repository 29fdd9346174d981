#pragma once

#include <QByteArray>
#include <QString>

namespace varnook {
class FileKey;
}

namespace varnook::bench {

// The program's own save (Session::save, as the main window calls it) against the least a safe
// replacement of the same bytes costs, run by run: the first save after a fresh load, then a later one.
void benchSaves(int entries, const QByteArray &dataFile, const QString &password, int runs);
// The same for a data file in the protected form under key (a later save, as save_data), against a
// safe replacement of the sealed bytes the save wrote.
void benchProtectedSaves(int entries, const QByteArray &protectedFile, const FileKey &key, const QString &password,
                         int runs);

} // namespace varnook::bench
