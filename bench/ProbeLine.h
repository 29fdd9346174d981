#pragma once

#include <QByteArray>

#include <optional>

namespace varnook::bench {

// What varnook-benched reports of one run: monotonic times in nanoseconds and its peak memory.
struct ProbeFigures {
    bool prompted = false;      // the launch and the password box were timed; the next two are set
    qint64 launchedNs = 0;      // the benchmark started the program
    qint64 promptNs = 0;        // the password box drawn by the X server, taking keys
    qint64 okNs = 0;            // the password box answered
    qint64 paintedNs = 0;       // the list and status line drawn by the X server
    bool clicked = false;       // the sort click was made; the next two are set
    qint64 releasedNs = 0;      // the header's mouse release arrived
    qint64 sortedNs = 0;        // the sorted list drawn by the X server
    bool reloaded = false;      // another writer's file was renamed over the data file; the next two are set
    qint64 reloadSeenNs = 0;    // the session started reading it
    qint64 reloadPaintedNs = 0; // the reloaded list and status line drawn by the X server
    bool found = false;         // a key was typed in the find bar; the next two are set
    qint64 keyNs = 0;           // the key reached the find bar's box
    qint64 foundNs = 0;         // the filtered list drawn by the X server
    long startupPeakKb = 0;
    long peakKb = 0;
    // The program and its descendants (the web engine's helpers), proportional set size, read as
    // peakKb is.
    long pssKb = 0;
    // How long the work behind wait boxes took between the OK and the paint (deriving a protected
    // file's key and opening it): "waited_ns=…" after painted_ns, written only when not 0.
    qint64 waitedNs = 0;
    // Of that wait, how long the key's derivation took, as the program timed it: "kdf_ns=…" after
    // waited_ns, written only when not 0.
    qint64 kdfNs = 0;

    double waitedMs() const { return double(waitedNs) / 1e6; }
    double promptMs() const { return double(promptNs - launchedNs) / 1e6; }
    double startupMs() const { return double(paintedNs - okNs) / 1e6; }
    double kdfMs() const { return double(kdfNs) / 1e6; }
    double sortMs() const { return double(sortedNs - releasedNs) / 1e6; }
    double reloadMs() const { return double(reloadPaintedNs - reloadSeenNs) / 1e6; }
    double findMs() const { return double(foundNs - keyNs) / 1e6; }
};

// The one line the probe prints: "benched: [launched_ns=… prompt_ns=…] ok_ns=… painted_ns=…
// [released_ns=… sorted_ns=…] [reload_seen_ns=… reload_painted_ns=…] [key_ns=… found_ns=…]
// startup_hwm_kb=… hwm_kb=… pss_kb=…" (pss_kb=0 when it could not be read).
QByteArray probeLine(const ProbeFigures &figures);
// The probe's line in a program's output. None when there is none, a field is missing or not a
// number, or the times run backwards (a wait longer than the start-up too).
std::optional<ProbeFigures> readProbeLine(const QByteArray &output);

} // namespace varnook::bench
