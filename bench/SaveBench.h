#pragma once

#include <QByteArray>
#include <QString>

namespace varnook::bench {

// The program's own save (Session::save, as the main window calls it) against the least a safe
// replacement of the same bytes costs, run by run: the first save after a fresh load, then a later one.
void benchSaves(int entries, const QByteArray &dataFile, const QString &password, int runs);

} // namespace varnook::bench
