// For implementations that fill in their defaults the first time they are used (the PDF
// presets of a new workspace, the spreads of a document made before spreads existed): the
// filled-in state must be saved with the database, yet it is neither a change the user made
// nor something undo should take back. KeepDefaults marks the implementation for the next
// save without touching the database's modified state or the undo history.
// User-interface thread only.
#pragma once

class IPMUnknown;

namespace tshost {

// `implementation` is a persistent implementation of a boss in a database; anything else is
// left alone.
void KeepDefaults(const IPMUnknown* implementation);

}  // namespace tshost
