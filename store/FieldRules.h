#pragma once

#include <QString>
#include <QStringView>

namespace varnook {

// What keeps a character of a text out of the data file, the first one found.
enum class CharacterProblem {
    None,
    // The code page has no code for it: it would be stored as "?" or a similar letter.
    OutsideCodePage,
    // It has a code but is no character of Windows-1252 (one of the five open codes); one of them
    // scrambles to a line end and would cut its line short.
    NotStorable,
};
CharacterProblem characterProblem(QStringView text);

// Why the data file cannot hold a field as typed, or an empty text when it can. The file has no
// escapes: a field may not hold the separator "|||" or a line break, and every character must
// exist in the file's code page (Windows-1252), or it would come back changed.
QString fieldProblem(const QString &text);

} // namespace varnook
