#pragma once

namespace varnook {

// A core dump of this process would hold the master password and every entry in clear text.
class CoreDumps {
public:
    // Sets the core file size limit to zero, soft and hard, so that neither this process nor the
    // processes it starts can raise it again. False when the system refused.
    static bool switchOff();
};

} // namespace varnook
