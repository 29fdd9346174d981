#include "ProtectedLogin.h"

#include "DataFileKey.h"
#include "DataLoader.h"
#include "MasterPasswordDialogs.h"
#include "Messages.h"
#include "Platform.h"

namespace varnook {

bool ProtectedLogin::open(LoadResult &read) {
    return MasterPasswordDialogs::login([&read](const QString &typed) {
        // Cancel gives no text: nothing to derive.
        if (typed.isEmpty())
            return false;
        bool opened = false;
        // The key and then the body (decrypted and read) are made off the UI thread.
        platform().dialogs->waitFor(Messages::checkingMasterPassword(), Messages::applicationTitle(), [&] {
            const auto key = DataFileKey::derive(typed, read.header.cost, read.header.salt, read.header.version);
            opened = key && DataLoader::unseal(read, key, {}, DataLoader::Decoding::LinesOnly);
        });
        return opened;
    });
}

} // namespace varnook
