#pragma once

#include <QString>

namespace varnook {

// The outcome of a file operation: success, or the reason it failed in words the user can read.
class FileResult {
public:
    static FileResult success() { return FileResult(); }
    static FileResult failure(const QString &reason) { return FileResult(reason.isEmpty() ? unknownReason() : reason); }
    // A failure after the new contents were put in the file's place: the old ones are gone.
    static FileResult failureAfterReplacing(const QString &reason) {
        FileResult result = failure(reason);
        result.m_replaced = true;
        return result;
    }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString &reason() const { return m_reason; }
    // True when the operation failed after it had replaced the file's contents.
    bool replaced() const { return m_replaced; }

private:
    FileResult() = default;
    explicit FileResult(const QString &reason)
        : m_ok(false)
        , m_reason(reason) {}
    static QString unknownReason() { return QStringLiteral("Unknown error"); }

    bool m_ok = true;
    bool m_replaced = false;
    QString m_reason;
};

} // namespace varnook
