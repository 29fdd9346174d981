#include "Platform.h"

#include <QEventLoop>
#include <QThread>

#include <QDir>
#include <QSettings>

namespace varnook {

std::unique_ptr<QSettings> Platform::openSettings() const {
    if (!settingsFile.isEmpty())
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, version.productName,
                                       version.productName);
}

QString Platform::programFile(const QString &name) const {
    return QDir(programFolder).filePath(name);
}

QString Platform::dataFile(const QString &name) const {
    return QDir(dataFolder).filePath(name);
}

Platform &platform() {
    static Platform thePlatform;
    return thePlatform;
}

void runOffThread(const std::function<void()> &work, const std::function<void()> &shown) {
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create(work));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    if (shown)
        shown();
    if (!thread->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
}

} // namespace varnook
