#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QExplicitlySharedDataPointer>
#include <QSharedData>

#include <cstdint>

namespace varnook {

// One entry's line as the data file stores it: scrambled, with its line end. A line read from the
// file is a piece of the bytes read (shared, not copied), since a loaded line is already its saved
// form; a changed entry's line is encoded once and held on its own.
//
// A list keeps one of these for every entry, so it takes 16 bytes: a reference to the bytes it is a
// piece of, and where in them it lies.
class StoredLine {
    // Bytes that lines are pieces of, from a base within them on: a line's start is counted from there,
    // so that 32 bits reach any line of a file of any size.
    struct Source : QSharedData {
        Source(QByteArray bytes, qsizetype base)
            : bytes(std::move(bytes))
            , base(base) {}
        QByteArray bytes;
        qsizetype base;
    };

public:
    // Shares one file's bytes between the lines cut out of it, in the order they lie in it.
    class Cutter {
    public:
        explicit Cutter(QByteArray bytes)
            : m_bytes(std::move(bytes)) {}
        // The size bytes at start of the bytes.
        StoredLine cut(qsizetype start, qsizetype size);

    private:
        QByteArray m_bytes;
        QExplicitlySharedDataPointer<Source> m_source;
    };

    StoredLine() = default;
    explicit StoredLine(QByteArray own)
        : m_size(fits(own.size()) ? quint32(own.size()) : WholeSource) {
        if (!own.isEmpty())
            m_source = QExplicitlySharedDataPointer<Source>(new Source(std::move(own), 0));
    }

    // No line yet: a stored line holds at least its line end.
    bool isNull() const { return m_size == 0; }
    QByteArrayView bytes() const {
        if (!m_source)
            return {};
        if (m_size == WholeSource)
            return QByteArrayView(m_source->bytes);
        return QByteArrayView(m_source->bytes.constData() + m_source->base + m_start, m_size);
    }

private:
    StoredLine(QExplicitlySharedDataPointer<Source> source, quint32 start, quint32 size)
        : m_source(std::move(source))
        , m_start(start)
        , m_size(size) {}
    // A size no line of 32 bits' length has: the line is all of its source's bytes, held on their own.
    static constexpr quint32 WholeSource = UINT32_MAX;
    static bool fits(qsizetype size) { return size >= 0 && quint64(size) < WholeSource; }

    QExplicitlySharedDataPointer<Source> m_source;
    quint32 m_start = 0;
    quint32 m_size = 0;
};

inline StoredLine StoredLine::Cutter::cut(qsizetype start, qsizetype size) {
    if (!fits(size))
        return StoredLine(m_bytes.mid(start, size));
    // A line past what 32 bits reach from the base starts a new base, sharing the same bytes.
    if (!m_source || start < m_source->base || !fits(start - m_source->base + size))
        m_source = QExplicitlySharedDataPointer<Source>(new Source(m_bytes, start));
    return StoredLine(m_source, quint32(start - m_source->base), quint32(size));
}

} // namespace varnook
