#include "BackgroundRead.h"

#include "DataFileFormat.h"
#include "ProtectedForm.h"

#include <sys/resource.h>

namespace varnook {

namespace {
constexpr int ReadingNiceness = 10;
} // namespace

BackgroundRead::BackgroundRead(DataFile file)
    : m_holdsMasterPassword(m_holdsMasterPasswordSet.get_future()) {
    std::promise<LoadResult> result;
    m_result = result.get_future();
    m_thread = std::thread([this, file = std::move(file), result = std::move(result)]() mutable {
        // The window's own start (the splash screen, the password box) comes first: on a machine of
        // few cores this thread and those it starts yield to it. On Linux the nice value is the
        // calling thread's own, and threads started from here inherit it.
        setpriority(PRIO_PROCESS, 0, ReadingNiceness);
        bool told = false;
        LoadResult read = DataLoader::read(file, [this, &told](const QByteArray &bytes) {
            m_holdsMasterPasswordSet.set_value(!ProtectedForm::isProtected(bytes) &&
                                               !DataFileFormat::readMasterLine(bytes).masterPassword.isEmpty());
            told = true;
        });
        // A file that could not be made or read has no bytes to tell by.
        if (!told)
            m_holdsMasterPasswordSet.set_value(false);
        // The session keeps the lines by row id, from 1: with room for one more line, it takes this
        // block as it is after the OK, instead of moving a million lines then.
        read.storedLines.reserve(read.storedLines.size() + 1);
        result.set_value(std::move(read));
    });
}

BackgroundRead::~BackgroundRead() {
    m_thread.join();
}

bool BackgroundRead::holdsMasterPassword() {
    return m_holdsMasterPassword.get();
}

LoadResult BackgroundRead::take() {
    return m_result.get();
}

} // namespace varnook
