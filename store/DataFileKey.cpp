#include "DataFileKey.h"

#include "CodePage1252.h"
#include "SecretBytes.h"

namespace varnook {

std::shared_ptr<const FileKey> DataFileKey::derive(QStringView masterPassword, const KdfCost &cost,
                                                   const FileKey::Salt &salt, std::uint8_t formatVersion) {
    for (const QChar character : masterPassword)
        if (CodePage1252::codeOf(character.unicode()) < 0)
            return nullptr;
    // One code per character: the codes go straight into secret memory, never through a QByteArray.
    SecretBytes codes(std::size_t(masterPassword.size()));
    CodePage1252::encodeInto(reinterpret_cast<char *>(codes.data()), masterPassword);
    std::optional<FileKey> key =
        FileKey::derive(QByteArrayView(reinterpret_cast<const char *>(codes.data()), qsizetype(codes.size())), cost,
                        salt, formatVersion);
    if (!key)
        return nullptr;
    return std::make_shared<const FileKey>(std::move(*key));
}

std::shared_ptr<const FileKey> DataFileKey::forNewProtection(QStringView masterPassword, const KdfCost &cost,
                                                             std::uint8_t formatVersion) {
    return derive(masterPassword, cost, FileKey::newSalt(), formatVersion);
}

} // namespace varnook
