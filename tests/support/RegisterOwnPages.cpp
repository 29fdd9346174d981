// Linked into every test that may make a web page: the program's own address scheme is known to the
// web engine before the test's QApplication exists, as the program's main() makes it known.
#include "OwnPagesScheme.h"

#include <QtGlobal>

namespace {
void registerOwnPagesScheme() {
    varnook::OwnPagesScheme::registerScheme();
}
} // namespace

Q_CONSTRUCTOR_FUNCTION(registerOwnPagesScheme)
