// Scalar types and result codes shared by the host and every plug-in.
// Plain values; safe on any thread.
#pragma once

#include <cstdint>

using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using uchar = unsigned char;

// The host's 16-bit truth value.
using bool16 = int16;
constexpr bool16 kTrue = 1;
constexpr bool16 kFalse = 0;

// Result of host operations and commands: 0 is success.
using ErrorCode = int32;
constexpr ErrorCode kSuccess = 0;
constexpr ErrorCode kFailure = 1;
constexpr ErrorCode kCancel = 2;
constexpr ErrorCode kOutOfMemoryError = 3;
constexpr ErrorCode kInvalidParameterError = 4;

// Measures and coordinates; compared exactly, never with an epsilon.
using PMReal = double;
