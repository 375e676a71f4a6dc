// Shows a web page in the user's browser, standing in for "open URL" on Mac OS.
//
// The opener is the program named by $TS_BROWSER when set and not empty (tests
// point it at a recorder), else "xdg-open", found through PATH. It is started
// without a shell, with the URL as its only argument, stdin and stdout on
// /dev/null (the host's console must stay its own) and no inherited descriptors
// beyond stderr. The call does not wait for the browser: a background thread
// collects the opener when it exits.
//
// Only http:// and https:// URLs without blanks or control characters are
// opened; anything else is refused, so data can never become an option or a
// local file for the opener.
//
// Threading: callable from any thread.
#pragma once

#include <string>

namespace tsplatform {

// True when the opener was started; false for a refused URL or a failed start.
bool OpenInBrowser(const std::string& url);

}  // namespace tsplatform
