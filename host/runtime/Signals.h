// Document signals. The host sends them from its document list (Documents.h, through
// DocumentSignals.cpp), so every way of changing documents sends them: console commands,
// the document utilities, the plug-in.
//   - 0xE0C after a new document joined the list, 0xE0F after an opened one did; then
//     0x16302, which makes it the front document.
//   - 0xE19 before a close, with the document still listed and writable (it may be saved);
//     0xE1A after it left the list; then, when it was the front document and another
//     remains, 0x16302 for the next front document.
//   - 0x16302 on every other change of front document (a switch, an open of a file that is
//     open already). Never when the last document closes: there is no front document to
//     name then.
// Each signal goes to the responders of its service in the registry's order
// (ServiceRegistry.h), through a new signal manager whose IDocumentSignalData names the
// document; a responder failing (an error set, or an exception) ends the signal there and
// the responders before it get SignalFailed, latest first. Active-selection observers hear
// of each change of front document after its 0x16302 (ActiveSelection.h).
// User-interface thread only.
#pragma once

#include <string>

#include "IDTypes.h"
#include "UIDRef.h"

namespace tshost {

// Sends one signal. `document` goes into the signal data; `documentName` is only for the
// echo. Returns the error of the responder that failed, or kSuccess.
ErrorCode SendSignal(ServiceID service, const UIDRef& document, const std::string& documentName);

// With the echo on, each signal is shown on the transcript as it is sent:
// "signal 0xe0c after-new Untitled-1".
void SetSignalEcho(bool on);
bool SignalEcho();
// "after-new", "after-open", "before-close", "after-close", "front-document", or "".
const char* SignalName(ServiceID service);

}  // namespace tshost
