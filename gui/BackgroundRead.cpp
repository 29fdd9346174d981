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
            LoadResult read = DataLoader::read(
                file,
                [&](const QByteArray &bytes) {
                    m_holdsMasterPasswordSet.set_value(!ProtectedForm::isProtected(bytes) &&
                                                       !DataFileFormat::readMasterLine(bytes).masterPassword.isEmpty());
                    told = true;
                    allowed.wait();
                },
                DataLoader::Decoding::LinesOnly);
            // A file that could not be made or read has no bytes to tell by.
            if (!told)
                m_holdsMasterPasswordSet.set_value(false);
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
