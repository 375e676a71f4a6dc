// The test seam: process-wide replacements for what the system would answer, so
// tests and host scripts can fix each fact or make it fail.
//
// An empty optional leaves the system's own answer; a fail flag wins over a value.
// Values are returned exactly as given (no trimming or clean-up), except that the
// Application Support root goes through the same checks as the environment's.
//
// Threading: SetOverrides and ClearOverrides must run before any other thread of
// the process starts (or while no other thread uses this library); the overrides
// are then only read, so no lock guards them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tsplatform {

struct Overrides {
  std::optional<std::string> applicationSupportRoot;  // ApplicationSupportFolder()
  bool failApplicationSupport = false;
  std::optional<std::string> userFullName;  // UserFullName(); "" means none
  std::optional<std::string> machineName;   // MachineName(); "" means none
  std::optional<std::string> hardwareModel;  // HW_MODEL
  bool failHardwareModel = false;
  std::optional<std::uint64_t> memoryBytes;  // HW_PHYSMEM and HW_MEMSIZE
  bool failMemory = false;
  std::optional<std::int32_t> processorCount;  // HW_NCPU
  bool failProcessorCount = false;
};

void SetOverrides(const Overrides& overrides);
void ClearOverrides();
const Overrides& CurrentOverrides();

}  // namespace tsplatform
