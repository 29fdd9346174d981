#pragma once

#include <QLoggingCategory>

namespace varnook {

// What the reader leaves out of a document on purpose (pictures past its bounds) leaves its line here.
Q_DECLARE_LOGGING_CATEGORY(rtfLog)

} // namespace varnook
