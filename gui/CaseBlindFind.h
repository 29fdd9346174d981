#pragma once

#include <QString>

namespace varnook {

// Whether texts hold a text looked for, letter case ignored as the list's sort ignores it. The text
// looked for is folded once; a text looked in is folded only where its unit could begin a match, so
// that going through a million entries per key stays well within the time of a frame or two.
class CaseBlindFind {
public:
    explicit CaseBlindFind(const QString &text = {});

    bool isEmpty() const { return m_folded.isEmpty(); }
    const QString &folded() const { return m_folded; }

    bool isIn(QStringView text) const;
    // Every text that holds this one holds other too, so what this finds is among what other found.
    bool narrows(const CaseBlindFind &other) const { return m_folded.contains(other.m_folded); }

private:
    bool matchesAt(const char16_t *units, qsizetype size, qsizetype at) const;

    QString m_folded;
    // The units a match can begin with as written: the folded first unit and, for an ASCII letter,
    // its capital. Any unit from 0x80 up is tried too, since it may fold into the first one.
    char16_t m_first = 0;
    char16_t m_firstCapital = 0;
};

} // namespace varnook
