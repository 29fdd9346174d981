#include "CaseBlindFind.h"

#include "CaseFold.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnook {

CaseBlindFind::CaseBlindFind(const QString &text) {
    m_folded.reserve(text.size());
    caseFold::foldInto(text, [this](char16_t unit) { m_folded.append(QChar(unit)); });
    if (m_folded.isEmpty())
        return;
    const char16_t first = m_folded.front().unicode();
    // An ASCII unit folds into an ASCII unit: a first unit from 0x80 up is met only among those.
    m_first = first < 0x80 ? first : 0x80;
    m_firstCapital = first >= u'a' && first <= u'z' ? char16_t(first - (u'a' - u'A')) : m_first;
}

bool CaseBlindFind::matchesAt(const char16_t *units, qsizetype size, qsizetype at) const {
    const auto *wanted = reinterpret_cast<const char16_t *>(m_folded.utf16());
    const qsizetype length = m_folded.size();
    qsizetype i = at;
    for (qsizetype k = 0; k < length;) {
        if (i >= size)
            return false;
        const char16_t unit = units[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, units[i + 1]));
            if (QChar::highSurrogate(folded) != wanted[k])
                return false;
            if (k + 1 < length && QChar::lowSurrogate(folded) != wanted[k + 1])
                return false;
            i += 2;
            k += 2;
            continue;
        }
        if (caseFold::unit(unit) != wanted[k])
            return false;
        ++i;
        ++k;
    }
    return true;
}

bool CaseBlindFind::isIn(QStringView text) const {
    const qsizetype length = m_folded.size();
    if (length == 0)
        return true;
    const qsizetype size = text.size();
    if (size < length)
        return false;
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype lastStart = size - length;
    const auto mayBegin = [this](char16_t unit) {
        return unit == m_first || unit == m_firstCapital || unit >= 0x80;
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    // Eight units at a time: the candidates are the units equal to either first unit, or not ASCII.
    const __m128i first = _mm_set1_epi16(short(m_first));
    const __m128i capital = _mm_set1_epi16(short(m_firstCapital));
    const __m128i notAscii = _mm_set1_epi16(short(0xff80));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= lastStart + 1; i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(units + i));
        const __m128i equal = _mm_or_si128(_mm_cmpeq_epi16(chunk, first), _mm_cmpeq_epi16(chunk, capital));
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(chunk, notAscii), zero);
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(equal, _mm_andnot_si128(ascii, _mm_set1_epi8(-1)))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (matchesAt(units, size, i + bit / 2))
                return true;
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (mayBegin(units[i]) && matchesAt(units, size, i))
            return true;
    }
    return false;
}

} // namespace varnook
