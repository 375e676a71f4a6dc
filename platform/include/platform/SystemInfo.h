// Who and what this machine is: the account's full name and the computer's name,
// standing in for the Mac OS CSCopyUserName and CSCopyMachineName.
//
// Both give "" when the system has no answer; callers supply their own fallback
// text. Control characters read from the system become blanks, so a value can go
// into a text line (an HTTP header) as it is; override values are given verbatim.
//
// Threading: callable from any thread once the overrides are set.
#pragma once

#include <string>

namespace tsplatform {

// The full-name field of the current account (the GECOS field up to its first
// ","), with surrounding blanks removed.
std::string UserFullName();

// The host name of the machine.
std::string MachineName();

}  // namespace tsplatform
