#pragma once

#include <QProcess>
#include <QString>

namespace varnook::bench {

// A virtual X server of the benchmark's own, on the first free display number from 90 up: the
// program draws through xcb to it as it would to a desktop's server.
class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay &) = delete;
    XvfbDisplay &operator=(const XvfbDisplay &) = delete;

    bool isRunning() const { return m_server.state() == QProcess::Running; }
    // ":<number>", for DISPLAY.
    QString name() const { return QStringLiteral(":%1").arg(m_number); }
    QString failure() const { return m_failure; }

private:
    bool startOn(int number);

    QProcess m_server;
    int m_number = -1;
    QString m_failure;
};

} // namespace varnook::bench
