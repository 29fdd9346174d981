#pragma once

#include <QByteArray>
#include <QString>

namespace varnook::bench {

struct StartupSetup {
    QString program; // varnook-benched
    QString display; // the X server's DISPLAY
    QString password;
    int runs = 7;
    bool clickHeader = true;
    bool reload = true;  // another writer's file renamed over the data file at the end of each run
    bool findKey = true; // then one key typed in the find bar
};

// Starts the program afresh for every run on a data file of these bytes and reports the time from
// the launch to the password box on screen, from the password box's OK to the list and status line on screen, from the
// header click's release to the sorted list on screen, and the program's peak memory. Then another writer renames the
// same file with one entry more over the data file: the time from the session's start of reading
// it to the reloaded list and status line on screen, and from a key in the find bar to the filtered
// list on screen.
void benchStartup(const StartupSetup &setup, int entries, const QByteArray &dataFile);

} // namespace varnook::bench
