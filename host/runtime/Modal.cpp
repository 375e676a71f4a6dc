#include "Modal.h"

namespace tshost {

namespace {
int gModalDepth = 0;
}

ModalScope::ModalScope() { ++gModalDepth; }
ModalScope::~ModalScope() { --gModalDepth; }
bool ModalScope::AnyUp() { return gModalDepth > 0; }

}  // namespace tshost
