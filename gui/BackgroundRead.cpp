#include "BackgroundRead.h"

#include "DataFileFormat.h"
#include "ProtectedForm.h"

namespace varnook {

BackgroundRead::BackgroundRead(DataFile file)
    : m_holdsMasterPassword(m_holdsMasterPasswordSet.get_future()) {
    std::promise<LoadResult> result;
    m_result = result.get_future();
    m_thread = std::thread(
        [this, file = std::move(file), result = std::move(result), allowed = m_decodingAllowed.get_future()]() mutable {
            bool told = false;
            LoadResult read = DataLoader::read(file, [&](const QByteArray &bytes) {
                m_holdsMasterPasswordSet.set_value(!ProtectedForm::isProtected(bytes) &&
                                                   !DataFileFormat::readMasterLine(bytes).masterPassword.isEmpty());
                told = true;
                allowed.wait();
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
    startDecoding();
    m_thread.join();
}

bool BackgroundRead::holdsMasterPassword() {
    return m_holdsMasterPassword.get();
}

void BackgroundRead::startDecoding() {
    if (!std::exchange(m_decodingStarted, true))
        m_decodingAllowed.set_value();
}

LoadResult BackgroundRead::take() {
    startDecoding();
    return m_result.get();
}

} // namespace varnook
