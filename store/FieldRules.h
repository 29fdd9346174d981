#pragma once

#include <QString>

namespace varnook {

// Why the data file cannot hold a field as typed, or an empty text when it can. The file has no
// escapes: a field may not hold the separator "|||" or a line break, and every character must
// exist in the file's code page (Windows-1252), or it would come back changed.
QString fieldProblem(const QString &text);

} // namespace varnook
