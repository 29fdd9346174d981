#include "SabotagedSaveFile.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace varnook::test {

bool SabotagedSaveFile::open(OpenMode mode) {
    if (m_step == Step::Open) {
        *m_sabotaged = true;
        setErrorString(expectedReason(m_step));
        return false;
    }
    if (!QSaveFile::open(mode))
        return false;
    const int descriptor = handle();
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
    if (m_step == Step::Flush) {
        // The descriptor now reads the temporary file and cannot write it.
        const int readOnly = ::open(link.constData(), O_RDONLY | O_CLOEXEC);
        if (readOnly < 0)
            return true;
        *m_sabotaged = ::dup2(readOnly, descriptor) == descriptor;
        ::close(readOnly);
        return true;
    }
    const QString temporary = QFile::symLinkTarget(QString::fromLatin1(link));
    if (QFileInfo::exists(temporary) && temporary != fileName()) {
        // A named temporary file: once it is gone it cannot be renamed.
        *m_sabotaged = QFile::remove(temporary);
        return true;
    }
    // A file without a name, given one when committed: the bytes go to a pipe instead, which can
    // take them all but cannot be given a name in the folder.
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return true;
    *m_sabotaged = ::dup2(m_pipe[1], descriptor) == descriptor;
    return true;
}

SabotagedSaveFile::~SabotagedSaveFile() {
    for (const int end : m_pipe) {
        if (end >= 0)
            ::close(end);
    }
}

QString SabotagedSaveFile::expectedReason(Step step) {
    switch (step) {
    case Step::Open:
        return QStringLiteral("Permission denied");
    case Step::Flush:
        return QStringLiteral("Bad file descriptor");
    case Step::Rename:
        break;
    }
    return {};
}

} // namespace varnook::test
