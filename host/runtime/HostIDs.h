// The host's own IDs: its boss classes, its implementations and the interfaces only the host
// uses. They sit at 0x30001 and up in each kind, clear of the plug-in's 0x61000 range and of
// the host IDs the SDK headers declare. Class names are what resource files use to name host
// classes ("parent": "kCommandBoss", "class": "kWorkspaceBoss").
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

namespace tshost {

// Boss classes.
constexpr ClassID kSessionBoss{0x30001};
constexpr ClassID kApplicationBoss{0x30002};
constexpr ClassID kWorkspaceBoss{0x30003};
constexpr ClassID kDocBoss{0x30004};
constexpr ClassID kPageBoss{0x30005};
// The base of command bosses: it has no interfaces of its own.
constexpr ClassID kCommandBoss{0x30006};
// A convenient parent for start-up service bosses; it has no interfaces of its own.
constexpr ClassID kStartupShutdownBoss{0x30007};

// Implementations.
constexpr ImplementationID kSessionImpl{0x30001};
constexpr ImplementationID kImplementationRegistryImpl{0x30002};
constexpr ImplementationID kApplicationImpl{0x30003};
constexpr ImplementationID kDocumentListImpl{0x30004};
constexpr ImplementationID kWorkspaceImpl{0x30005};
constexpr ImplementationID kDocumentImpl{0x30006};
constexpr ImplementationID kPageListImpl{0x30007};     // persistent
constexpr ImplementationID kPageDataImpl{0x30008};     // persistent

// Interfaces only the host uses declare their IDs beside them, from 0x30001 up
// (IPageData 0x30001).

}  // namespace tshost
