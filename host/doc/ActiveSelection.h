// The active-selection observers plug-ins attach (ActiveSelectionObserver.h), told of every
// change of front document, after its 0x16302 signal, and also when the last document
// closes.
// User-interface thread only.
#pragma once

#include "PMTypes.h"

namespace tshost {

// Tells the attached active-selection observers that the active selection changed.
void NotifyActiveSelectionChanged();
int32 ActiveSelectionObserverCount();

}  // namespace tshost
