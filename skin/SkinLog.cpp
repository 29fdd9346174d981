#include "SkinLog.h"

namespace varnook {

Q_LOGGING_CATEGORY(skinLog, "varnook.skin")

} // namespace varnook
