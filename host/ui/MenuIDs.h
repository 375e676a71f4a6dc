// The IDs of the host's actions and menus: the implementations of the action manager and
// the menu manager, both on the application boss, at 0x30780 and up. The SDK interfaces
// they answer are IActionManager (0x20600) and IMenuManager (0xd204).
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

namespace tshost {

constexpr ImplementationID kActionMgrImpl{0x30780};
constexpr ImplementationID kMenuMgrImpl{0x30781};

}  // namespace tshost
