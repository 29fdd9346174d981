#include "RtfLog.h"

namespace varnook {

Q_LOGGING_CATEGORY(rtfLog, "varnook.rtf")

} // namespace varnook
