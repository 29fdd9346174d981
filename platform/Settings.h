#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QSettings;

namespace varnook {

// The user's settings, typed. Read and written through the platform's settings store.
class Settings {
public:
    Settings();
    ~Settings();

    // Whether the Help window opens at start: yes unless the stored value reads as the number 0.
    bool showHelp() const;
    // False when the choice could not be stored.
    bool setShowHelp(bool show);

    // The cost of the key derivation when a data file is protected: passes over memory (in KiB).
    // Nothing unless both are set; the program's default applies then.
    std::optional<std::uint32_t> keyDerivationPasses() const;
    std::optional<std::uint32_t> keyDerivationMemoryKiB() const;

    // Whether the list and the boxes show passwords as dots; no by default.
    bool hidePasswords() const;
    bool setHidePasswords(bool hide);
    // Seconds after which a copied password leaves the clipboard; 0 keeps it there. 30 by default.
    int clipboardClearSeconds() const;

    // Minutes without use after which the window locks; 0 (the default) never locks it.
    int lockAfterMinutes() const;
    bool setLockAfterMinutes(int minutes);

    // Where the settings are kept, for messages.
    QString location() const;

private:
    std::unique_ptr<QSettings> m_store;
};

} // namespace varnook
