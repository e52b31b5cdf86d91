// SPDX-License-Identifier: MIT
#include "designer/package_host.h"

#include <algorithm>

#include "rtl/core/sysutils.h"
#include "rtl/ui/designintf.h"
#include "rtl/ui/modules.h"

namespace designer {

namespace {

[[noreturn]] void Fail(const std::string& FileName, const std::string& Why) {
  throw rtl::EPackageError(FileName + ": " + Why);
}

template <class F>
F Entry(rtl::HINSTANCE Instance, const char* Name) {
  return reinterpret_cast<F>(rtl::GetProcAddress(Instance, Name));
}

// Unloads the module when a load fails half-way.
class TLoadGuard {
 public:
  explicit TLoadGuard(rtl::HINSTANCE Instance) : FInstance(Instance) {}
  ~TLoadGuard() {
    if (FInstance == nullptr) return;
    rtl::UnregisterModuleRegistrations(FInstance);
    rtl::FreeLibrary(FInstance);
  }
  void Release() { FInstance = nullptr; }

 private:
  rtl::HINSTANCE FInstance;
};

}  // namespace

const std::vector<std::string>& HostPackages() {
  static const std::vector<std::string> Names = {"dclstd30", "VCLDB30"};
  return Names;
}

TPackageHost::~TPackageHost() {
  while (!FPackages.empty()) {
    try {
      Unload(FPackages.back().Instance);
    } catch (...) {
      // A package whose finalization fails is unloaded all the same.
    }
  }
}

const TLoadedPackage& TPackageHost::Load(const std::string& FileName) {
  TLoadedPackage P;
  P.FileName = FileName;
  // A name without a folder would be looked for in the system's library
  // folders instead of the current one.
  const std::string Path = FileName.find('/') == std::string::npos ? "./" + FileName : FileName;
  P.Instance = rtl::LoadLibrary(Path);
  if (P.Instance == nullptr) Fail(FileName, rtl::LoadError());
  for (const TLoadedPackage& Other : FPackages)
    if (Other.Instance == P.Instance) {
      rtl::FreeLibrary(P.Instance);
      Fail(FileName, "the package is loaded already");
    }
  TLoadGuard Guard(P.Instance);

  const rtl::TResourceEntry* Info = rtl::FindResource(P.Instance, rtl::RT_RCDATA, "PACKAGEINFO");
  if (Info == nullptr) Fail(FileName, "no package information (PACKAGEINFO)");
  P.Info = rtl::DecodePackageInfo(
      std::string_view(reinterpret_cast<const char*>(Info->Data), Info->Size));
  if ((P.Info.Flags & rtl::pfPackageModule) == 0) Fail(FileName, "not a package module");
  if ((P.Info.Flags & rtl::pfRunOnly) != 0 && (P.Info.Flags & rtl::pfDesignOnly) == 0)
    Fail(FileName, "a run-time only package cannot be installed in the designer");
  for (const rtl::TPackageRequire& R : P.Info.Requires) {
    const bool Here =
        rtl::SameText(R.Name, rtl::RuntimePackageName()) ||
        std::any_of(HostPackages().begin(), HostPackages().end(),
                    [&](const std::string& H) { return rtl::SameText(H, R.Name); }) ||
        std::any_of(FPackages.begin(), FPackages.end(), [&](const TLoadedPackage& L) {
          return std::any_of(
              L.Info.Units.begin(), L.Info.Units.end(), [&](const rtl::TPackageUnit& U) {
                return (U.Flags & rtl::ufMainUnit) != 0 && rtl::SameText(U.Name, R.Name);
              });
        });
    if (!Here) Fail(FileName, "requires the package " + R.Name + ", which is not loaded");
  }

  auto Initialize = Entry<void (*)()>(P.Instance, "Initialize");
  auto Register = Entry<void (*)()>(P.Instance, "Register");
  P.Finalize = Entry<void (*)()>(P.Instance, "Finalize");
  P.GetPackageInfoTable =
      Entry<const rtl::TPackageInfoTable* (*)()>(P.Instance, "GetPackageInfoTable");
  if (Initialize == nullptr || Register == nullptr || P.Finalize == nullptr ||
      P.GetPackageInfoTable == nullptr)
    Fail(FileName, "lacks Initialize, Finalize, GetPackageInfoTable or Register");

  Initialize();
  try {
    Register();
  } catch (const std::exception& E) {
    rtl::UnregisterModuleRegistrations(P.Instance);
    try {
      P.Finalize();
    } catch (...) {
      // The registration's failure is the one to tell.
    }
    Fail(FileName, std::string("Register failed: ") + E.what());
  }
  Guard.Release();
  FPackages.push_back(std::move(P));
  return FPackages.back();
}

void TPackageHost::Unload(rtl::HINSTANCE Instance) {
  auto It = std::find_if(FPackages.begin(), FPackages.end(),
                         [Instance](const TLoadedPackage& P) { return P.Instance == Instance; });
  if (It == FPackages.end()) return;
  const TLoadedPackage P = *It;
  FPackages.erase(It);
  rtl::UnregisterModuleRegistrations(P.Instance);
  TLoadGuard Guard(P.Instance);
  P.Finalize();
}

std::string ResourceTypeOf(const std::string& Word) {
  if (Word == "bitmap") return rtl::RT_BITMAP;
  if (Word == "icon-group") return rtl::RT_GROUP_ICON;
  if (Word == "rcdata") return rtl::RT_RCDATA;
  if (Word == "version") return "VERSION";
  return std::string();
}

}  // namespace designer
