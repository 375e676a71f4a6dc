// The user's folders, standing in for the Mac OS folder manager.
//
// The Application Support folder of Mac OS is the XDG data folder here:
// $XDG_DATA_HOME when it is an absolute path other than "/", else
// $HOME/.local/share. The result never ends in "/" and has no repeated "/";
// it is empty when neither variable gives a folder (HOME unset, empty or
// relative), which callers treat as "folder not found". Overrides (Overrides.h)
// can replace the root or force the failure. Nothing is created on disk.
//
// Threading: reads the environment and the overrides; callable from any thread
// as long as nothing changes the environment at the same time.
#pragma once

#include <string>

namespace tsplatform {

std::string ApplicationSupportFolder();

}  // namespace tsplatform
