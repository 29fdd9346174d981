#pragma once

#include "KdfCost.h"

#include <QString>

namespace varnook {

class Session;

// The File menu's commands on the data file's form and master password, with their boxes: each asks
// for the master password first, derives keys off the UI thread and has the session write the file.
class ProtectionCommands {
public:
    explicit ProtectionCommands(Session &session)
        : m_session(session) {}

    void protect();
    void removeProtection();
    void changeMasterPassword();

    // The cost of new keys: the settings' when they set one, else the program's default.
    static KdfCost costForNewKeys();

    static QString protectPrompt();
    static QString removeProtectionPrompt();

private:
    // Asks for the master password once; false after saying so when it was not the one held, or
    // quietly when the user cancelled.
    bool confirmMasterPassword(const QString &prompt, const QString &title);
    // Asks for a new master password twice, under the creation rules; empty when the user cancelled.
    QString askNewPassword();

    Session &m_session;
};

} // namespace varnook
