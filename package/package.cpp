// SPDX-License-Identifier: MIT
// The package's module entry and unit table.
#include "package/package.h"

#include <array>
#include <string>
#include <vector>

#include "rtl/ui/modules.h"

namespace {

rtl::TLibModule ModuleRecord;

// What the system's loader would call with a reason: 1 when the module is
// attached to the process, 0 when it is detached. Threads change nothing.
enum : int { kProcessDetach = 0, kProcessAttach = 1 };

bool PackageEntry(rtl::HINSTANCE Instance, int Reason) {
  switch (Reason) {
    case kProcessAttach: {
      ModuleRecord.Instance = Instance;
      // The full name, however long: a name cut to a fixed buffer would
      // look for a language module that is not there.
      const std::string FileName = rtl::GetModuleFileName(Instance);
      const rtl::HINSTANCE Language = rtl::LoadResourceModule(FileName);
      ModuleRecord.ResInstance = Language != nullptr ? Language : Instance;
      rtl::RegisterModule(&ModuleRecord);
      break;
    }
    case kProcessDetach:
      rtl::UnregisterModule(&ModuleRecord);
      if (ModuleRecord.ResInstance != ModuleRecord.Instance) {
        rtl::FreeLibrary(ModuleRecord.ResInstance);
        ModuleRecord.ResInstance = ModuleRecord.Instance;
      }
      break;
    default:
      break;
  }
  return true;
}

[[gnu::constructor]] void Attach() {
  PackageEntry(rtl::HInstance(), kProcessAttach);
}

[[gnu::destructor]] void Detach() {
  PackageEntry(rtl::HInstance(), kProcessDetach);
}

// The package's own units do no work of their own at load or unload: their
// routines only count, like every unit's.
template <const char* Name>
void UnitInit() {
  rtl::EnterUnit(Name);
}
template <const char* Name>
void UnitFInit() {
  rtl::LeaveUnit(Name);
}
constexpr char kAboutBox[] = "about_box";
constexpr char kOverwriteDialog[] = "overwrite_dialog";
constexpr char kQuindle[] = "quindle";
constexpr char kRegistration[] = "quindle_reg";

template <const char* Name>
constexpr rtl::TPackageUnitEntry Own() {
  return {&UnitInit<Name>, &UnitFInit<Name>};
}

// The runtime's units in its order, with the package's own where they are
// initialized: each after the units it uses.
std::array<rtl::TPackageUnitEntry, 30> MakeUnits() {
  const std::vector<std::string>& Runtime = rtl::RuntimeUnitNames();
  std::array<rtl::TPackageUnitEntry, 30> Units{};
  size_t Next = 0;
  size_t NextRuntime = 0;
  auto AddRuntime = [&](size_t Count) {
    for (size_t I = 0; I < Count; ++I) Units[Next++] = rtl::RuntimeUnit(Runtime.at(NextRuntime++));
  };
  AddRuntime(20);
  Units[Next++] = Own<kAboutBox>();
  AddRuntime(5);
  Units[Next++] = Own<kOverwriteDialog>();
  AddRuntime(1);
  Units[Next++] = Own<kQuindle>();
  Units[Next++] = Own<kRegistration>();
  return Units;
}

const rtl::TPackageInfoTable& UnitTable() {
  static const std::array<rtl::TPackageUnitEntry, 30> Units = MakeUnits();
  static const rtl::TPackageInfoTable Table{static_cast<int32_t>(Units.size()), Units.data()};
  return Table;
}

}  // namespace

void Initialize() {
  rtl::PackageLoad(&UnitTable(), 30);
}

void Finalize() {
  rtl::PackageUnload(&UnitTable(), 30);
}

const rtl::TPackageInfoTable* GetPackageInfoTable() {
  return &UnitTable();
}
