#include "CoreDumps.h"

#include <sys/resource.h>

namespace varnook {

bool CoreDumps::switchOff() {
    const rlimit none{0, 0};
    return ::setrlimit(RLIMIT_CORE, &none) == 0;
}

} // namespace varnook
