#pragma once

#include "Entry.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace varnook::bench {

struct CliSetup {
    QString program;    // varnook-cli
    QString keePassCli; // keepassxc-cli; empty when it is not installed
    QString password;
    int runs = 7;
};

// varnook-cli export against keepassxc-cli export of the same entries, run by run, and
// varnook-cli import of the exported CSV into an empty data file: wall time and peak memory.
void benchCli(const CliSetup &setup, const std::vector<Entry> &entries, const QByteArray &dataFile);

} // namespace varnook::bench
