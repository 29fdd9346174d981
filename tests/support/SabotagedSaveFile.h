#pragma once

#include <QSaveFile>

namespace varnook::test {

// A save file that fails at one step of a save for real, short of the write calls themselves
// (FailingSaveFile does those):
// - Open: it refuses to open, as when no temporary file can be made beside the target.
// - Flush: its temporary file takes no more bytes once opened, so the bytes held in the device's
//   buffer are refused when they are flushed, when the save is committed.
// - Rename: its temporary file is gone before it can be put in the target's place.
class SabotagedSaveFile : public QSaveFile {
public:
    enum class Step { Open, Flush, Rename };

    // Sets *sabotaged once the step has been made to fail; it stays false when the sabotage itself
    // could not be done, and the test then proves nothing.
    SabotagedSaveFile(const QString &path, Step step, bool *sabotaged)
        : QSaveFile(path)
        , m_step(step)
        , m_sabotaged(sabotaged) {
        *m_sabotaged = false;
    }

    ~SabotagedSaveFile() override;

    bool open(OpenMode mode) override;
    // What the failure is reported as; empty where the system's own words say it, which differ
    // with the kind of temporary file the system makes.
    static QString expectedReason(Step step);

private:
    Step m_step;
    bool *m_sabotaged;
    int m_pipe[2] = {-1, -1};
};

} // namespace varnook::test
