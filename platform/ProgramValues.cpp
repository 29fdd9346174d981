#include "ProgramValues.h"

namespace varnook {

namespace {
ProgramValues &storage() {
    static ProgramValues values;
    return values;
}
} // namespace

ProgramValues &programValues() {
    return storage();
}

void resetProgramValues() {
    storage() = ProgramValues{};
}

} // namespace varnook
