#pragma once

#include <QSaveFile>

namespace varnook::test {

// A save file whose disk gives out part-way: it writes the first bytes for real, then fails,
// either with an error or by quietly taking fewer bytes than it was given.
class FailingSaveFile : public QSaveFile {
public:
    enum class Mode { Error, ShortWrite };

    FailingSaveFile(const QString &path, qint64 bytesBeforeFailure, Mode mode = Mode::Error)
        : QSaveFile(path)
        , m_room(bytesBeforeFailure)
        , m_mode(mode) {}

    qint64 attempted() const { return m_attempted; }

protected:
    qint64 writeData(const char *data, qint64 len) override;

private:
    qint64 m_room;
    Mode m_mode;
    qint64 m_attempted = 0;
};

} // namespace varnook::test
