#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace varnook::bench {

struct ChildRequest {
    QString program;
    QStringList arguments;
    QStringList environment; // "NAME=value" added to this process's own environment
    QByteArray input;        // standard input
    QString outputFile;      // standard output goes here; empty: kept in ChildResult::output
    int timeoutSeconds = 600;
};

struct ChildResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1; // -1 when the child did not exit normally
    double ms = 0;     // from just before the start to the moment it was reaped
    long peakKb = 0;   // the child's own peak resident memory (GNU time's %M)
    QByteArray output;
    QByteArray errors;

    bool succeeded() const { return started && !timedOut && exitCode == 0; }
};

// Runs a program to its end under /usr/bin/time, with its wall time and peak memory. A child that
// outlives timeoutSeconds is killed (GNU time with it).
ChildResult runChild(const ChildRequest &request);

} // namespace varnook::bench
