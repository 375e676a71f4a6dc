// A sysctl for the hardware entries the plug-in reads, since glibc has none.
//
// Mac OS semantics for the entries below, all read-only:
//   - oldp null: *oldlenp receives the size the value needs, result 0;
//   - oldp given: *oldlenp is its size in; if the value does not fit the result is
//     -1 with errno ENOMEM and nothing is written, else the value is copied and
//     *oldlenp receives its size;
//   - name null or namelen != 2: EINVAL; an unknown entry, or a value this machine
//     cannot give: ENOENT; newp or newlen given: EPERM; oldp without oldlenp: EINVAL.
//
// Entries under CTL_HW:
//   HW_MODEL    NUL-terminated text: the DMI product name (trimmed, control
//               characters as blanks), else the kernel's machine type;
//   HW_NCPU     int32: processors online;
//   HW_PHYSMEM  int32: physical memory in bytes, clamped to INT32_MAX as the real
//               system answered 32-bit callers (every machine of 2 GB or more
//               reads as just under 2 GB: use HW_MEMSIZE for the real size);
//   HW_MEMSIZE  int64: physical memory in bytes.
// Overrides (Overrides.h) replace any value or make it fail.
//
// Threading: callable from any thread once the overrides are set.
#pragma once

#include <cstddef>

namespace tsplatform {

inline constexpr int CTL_HW = 6;
inline constexpr int HW_MODEL = 2;
inline constexpr int HW_NCPU = 3;
inline constexpr int HW_PHYSMEM = 5;
inline constexpr int HW_MEMSIZE = 24;

int sysctl(int* name, unsigned namelen, void* oldp, std::size_t* oldlenp, void* newp, std::size_t newlen);

}  // namespace tsplatform
