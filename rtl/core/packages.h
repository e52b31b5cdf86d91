// SPDX-License-Identifier: MIT
// Packages: modules that hold units of code, loaded by a host at run time.
//
// A package describes its units in a unit table: the count, and for each
// unit, in initialization order, a routine that initializes it and one that
// finalizes it (either may be null). The host calls the package's
// Initialize, which hands the table to PackageLoad, and its Finalize, which
// hands it to PackageUnload, before unloading it.
//
// The runtime keeps one counter per unit, by the unit's name: a unit's
// routines count its initializations up and down (EnterUnit, LeaveUnit), so
// a unit that two loaded packages hold, or that the runtime itself holds,
// does its real work only on the first initialization and the last
// finalization.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/core/classes.h"
#include "rtl/core/export.h"

namespace rtl {

class QUINDLE_RTL_CORE_EXPORT EPackageError : public Exception {
  using Exception::Exception;
};

using TUnitProc = void (*)();

struct TPackageUnitEntry {
  TUnitProc Init;
  TUnitProc FInit;
};

struct TPackageInfoTable {
  int32_t UnitCount;
  const TPackageUnitEntry* UnitInfo;
};

// Runs the initialization routines of the first Count units in order. When
// one raises, the units already initialized are finalized in reverse order
// and the exception is passed on, so a failed load leaves nothing counted.
QUINDLE_RTL_CORE_EXPORT void PackageLoad(const TPackageInfoTable* Table, int32_t Count);
// Runs the finalization routines of the first Count units in reverse order.
// A routine that raises does not stop the others; the first exception is
// passed on once all have run.
QUINDLE_RTL_CORE_EXPORT void PackageUnload(const TPackageInfoTable* Table, int32_t Count);

// The per-unit counter. EnterUnit returns true on the unit's first
// initialization, LeaveUnit true on its last finalization; LeaveUnit of a
// unit not initialized does nothing and returns false.
QUINDLE_RTL_CORE_EXPORT bool EnterUnit(std::string_view Name);
QUINDLE_RTL_CORE_EXPORT bool LeaveUnit(std::string_view Name);
QUINDLE_RTL_CORE_EXPORT int UnitInitCount(std::string_view Name);

// The platform layer's own units, in initialization order: a package puts
// the entries of those it uses into its unit table (RuntimeUnit), and they
// count like its own.
QUINDLE_RTL_CORE_EXPORT const std::vector<std::string>& RuntimeUnitNames();
// The entry of one of them; raises EPackageError for another name.
QUINDLE_RTL_CORE_EXPORT TPackageUnitEntry RuntimeUnit(std::string_view Name);

// The package information a package module carries as the resource
// PACKAGEINFO (little-endian): the flags (32 bits), the count of required
// packages (32 bits) and each as a one-byte name hash and its zero-terminated
// name, then the count of contained units (32 bits) and each as a flags
// byte, a name hash and its zero-terminated name.
inline constexpr uint32_t pfPackageModule = 0x40000000;
inline constexpr uint32_t pfRunOnly = 0x00000001;
inline constexpr uint32_t pfDesignOnly = 0x00000002;
inline constexpr uint8_t ufMainUnit = 0x01;
inline constexpr uint8_t ufPackageUnit = 0x02;

struct TPackageRequire {
  uint8_t Hash = 0;
  std::string Name;
};
struct TPackageUnit {
  uint8_t Flags = 0;
  uint8_t Hash = 0;
  std::string Name;
};
struct TPackageInfo {
  uint32_t Flags = 0;
  std::vector<TPackageRequire> Requires;
  std::vector<TPackageUnit> Units;
};

// The one-byte hash of a package or unit name: for each byte of the name in
// ASCII upper case, the hash rotated left by one bit, exclusive-or the byte.
QUINDLE_RTL_CORE_EXPORT uint8_t PackageNameHash(std::string_view Name);
// Decodes PACKAGEINFO. Raises EPackageError for a block that ends early,
// holds bytes past its end, or whose hashes do not match the names.
QUINDLE_RTL_CORE_EXPORT TPackageInfo DecodePackageInfo(std::string_view Bytes);
// The run-time package the platform layer stands for, which a package names
// among its required packages.
QUINDLE_RTL_CORE_EXPORT const char* RuntimePackageName();

}  // namespace rtl
