// Conversion between the host's path form and POSIX paths.
//
// The host names files in the colon-separated HFS form of Mac OS: a volume name,
// a colon, then folder and file names joined by colons. Here the boot volume
// (BootVolumeName(), "Macintosh HD" unless changed) stands for "/" and any other
// volume NAME for the folder "/Volumes/NAME". A ":" inside a POSIX name is a "/"
// inside the HFS name and back, as Mac OS shows such names.
//
//   ""                  <-> ""                           (no path; accepted)
//   "/"                 <-> "Macintosh HD:"
//   "/Users/a/b.indd"   <-> "Macintosh HD:Users:a:b.indd"
//   "/Users/a/"         <-> "Macintosh HD:Users:a:"      (folder mark kept)
//   "/tmp/a:b"          <-> "Macintosh HD:tmp:a/b"
//   "/Volumes/Work"     <-> "Work:"
//   "/Volumes/Work/x"   <-> "Work:x"
//
// Each direction is the exact inverse of the other on every path it accepts, so a
// path survives any number of round trips byte for byte. A path with no faithful
// counterpart is refused (false) rather than guessed at:
//   - relative paths: POSIX without a leading "/", HFS with no colon or a leading one;
//   - empty names, "//" or "::" (in HFS "::" means the parent folder, which is
//     never resolved here);
//   - "." or ".." as a name: ordinary names in HFS, folder links in POSIX;
//   - a NUL byte anywhere;
//   - "/Volumes/<boot volume>..." and "<boot volume>:Volumes:NAME...", which would
//     alias another volume's paths, and "/Volumes/NAME/", whose only HFS form
//     "NAME:" already belongs to "/Volumes/NAME".
// Volume names are compared byte for byte. Text is kept byte for byte; the host's
// 8-bit text is UTF-8.
//
// Folders. A trailing separator marks a folder and converts to a trailing separator.
// The host writes folders without it ("Macintosh HD:Users:a", as a folder's file
// reference gives its path), because callers compose folder + ":" + name. A typed
// folder path ending in ":" still converts, but a name composed onto it contains
// "::" and is refused instead of landing in the parent folder; StripHfsFolderMark
// gives the composable form. Volume roots ("Macintosh HD:", "Work:") keep their
// colon, since a bare volume name would read as a relative name.
//
// Threading: the conversions may run on any thread at once. SetBootVolumeName
// changes process-wide state: call it before any other thread runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tsplatform {

// The default boot volume name.
inline constexpr std::string_view kDefaultBootVolumeName = "Macintosh HD";

// Refuses (false, nothing changed) an empty name or one holding ":" or NUL.
bool SetBootVolumeName(std::string_view name);
std::string BootVolumeName();

// On refusal the output is left empty.
bool HfsToPosix(std::string_view hfs, std::string& posix);
bool PosixToHfs(std::string_view posix, std::string& hfs);

// Bounded forms for fixed buffers. The result and its NUL must fit in outSize
// bytes; otherwise the result is false and, when outSize > 0, out holds "".
// Nothing is ever written at or past out + outSize. A null input or output, or an
// outSize of 0, gives false and writes nothing. Input and output may be the same
// buffer.
bool HfsToPosix(const char* hfs, char* out, std::size_t outSize);
bool PosixToHfs(const char* posix, char* out, std::size_t outSize);

// The HFS path without its trailing folder mark, so that ":" + name can be
// appended. Volume roots and paths without a mark come back unchanged.
std::string StripHfsFolderMark(std::string_view hfs);

}  // namespace tsplatform
