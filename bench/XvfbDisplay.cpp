#include "XvfbDisplay.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

namespace varnook::bench {

namespace {
constexpr int FirstNumber = 90;
constexpr int Tries = 20;

bool inUse(int number) {
    return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
           QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number));
}
} // namespace

XvfbDisplay::XvfbDisplay() {
    for (int number = FirstNumber; number < FirstNumber + Tries; ++number) {
        if (!inUse(number) && startOn(number))
            return;
    }
    if (m_failure.isEmpty())
        m_failure = QStringLiteral("no free display from :%1 to :%2").arg(FirstNumber).arg(FirstNumber + Tries - 1);
}

XvfbDisplay::~XvfbDisplay() {
    if (!isRunning())
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished(5000);
}

bool XvfbDisplay::startOn(int number) {
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral(":%1").arg(number), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(5000)) {
        m_failure = QStringLiteral("Xvfb did not start: %1 (install the xvfb package)").arg(m_server.errorString());
        return false;
    }
    // Ready once its socket is there; an Xvfb that lost the race for the number ends at once.
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_server.state() != QProcess::Running)
            return false;
        if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) {
            m_number = number;
            return true;
        }
        QThread::msleep(20);
    }
    m_server.kill();
    m_server.waitForFinished();
    return false;
}

} // namespace varnook::bench
