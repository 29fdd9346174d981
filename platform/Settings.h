#pragma once

#include <QString>

#include <memory>

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

    // Where the settings are kept, for messages.
    QString location() const;

private:
    std::unique_ptr<QSettings> m_store;
};

} // namespace varnook
