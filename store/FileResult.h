#pragma once

#include <QString>

namespace varnook {

// The outcome of a file operation: success, or the reason it failed in words the user can read.
class FileResult {
public:
    static FileResult success() { return FileResult(); }
    static FileResult failure(const QString &reason) { return FileResult(reason.isEmpty() ? unknownReason() : reason); }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString &reason() const { return m_reason; }

private:
    FileResult() = default;
    explicit FileResult(const QString &reason)
        : m_ok(false)
        , m_reason(reason) {}
    static QString unknownReason() { return QStringLiteral("Unknown error"); }

    bool m_ok = true;
    QString m_reason;
};

} // namespace varnook
