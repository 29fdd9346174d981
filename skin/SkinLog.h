#pragma once

#include <QLoggingCategory>

namespace varnook {

// A skin that did not apply and a banner that did not load leave their line here.
Q_DECLARE_LOGGING_CATEGORY(skinLog)

} // namespace varnook
