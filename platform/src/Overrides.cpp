#include "platform/Overrides.h"

namespace tsplatform {

namespace {
Overrides g_overrides;
}

void SetOverrides(const Overrides& overrides) { g_overrides = overrides; }

void ClearOverrides() { g_overrides = Overrides{}; }

const Overrides& CurrentOverrides() { return g_overrides; }

}  // namespace tsplatform
