#pragma once

#include <QString>

namespace varnook {

// A field as the windows show it: one over 80 characters is cut, with its full length after it.
// A box, a list cell or the status line then stays quick to lay out and fits where it is shown:
// text layout takes seconds over a line of millions of characters, and draws it broken over lines
// or not at all. What is copied or saved is always the whole field.
QString shortenedText(const QString &field);

} // namespace varnook
