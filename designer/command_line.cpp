// SPDX-License-Identifier: MIT
#include "designer/command_line.h"

#include <cstdio>
#include <map>

#include "designer/package_host.h"
#include "rtl/core/sysutils.h"
#include "rtl/ui/designintf.h"
#include "rtl/ui/modules.h"

namespace designer {

namespace {

std::string Address(rtl::HINSTANCE Instance) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%p", Instance);
  return Text;
}

std::string Hex(uint32_t Value) {
  char Text[16];
  std::snprintf(Text, sizeof Text, "0x%08X", Value);
  return Text;
}

void DumpPackage(const TLoadedPackage& P, std::ostream& Out) {
  Out << "package " << P.FileName << '\n';
  for (const rtl::TLibModule* M : rtl::ModuleList())
    if (M->Instance == P.Instance)
      Out << "module instance " << Address(M->Instance) << " resource-instance "
          << Address(M->ResInstance)
          << (M->ResInstance == M->Instance ? " (the module)" : " (a language module)") << '\n';
  Out << "flags " << Hex(P.Info.Flags) << '\n';
  for (const rtl::TPackageRequire& R : P.Info.Requires) Out << "requires " << R.Name << '\n';
  for (const rtl::TPackageUnit& U : P.Info.Units)
    Out << "contains " << U.Name << " flags " << static_cast<int>(U.Flags) << '\n';
}

}  // namespace

int DumpPackages(const std::vector<std::string>& Packages, std::ostream& Out, std::ostream& Err) {
  TPackageHost Host;
  try {
    for (const std::string& Name : Packages) Host.Load(Name);
  } catch (const std::exception& E) {
    Err << "quindle-designer: " << E.what() << '\n';
    return 1;
  }
  for (const TLoadedPackage& P : Host.Packages()) DumpPackage(P, Out);

  std::string Page;
  for (const rtl::TPaletteEntry& E : rtl::PaletteEntries()) {
    if (E.Page != Page) {
      if (!Page.empty()) Out << '\n';
      Page = E.Page;
      Out << "page " << Page << ':';
    }
    Out << ' ' << E.Class->Name;
  }
  if (!Page.empty()) Out << '\n';
  for (const rtl::TEditorRegistration& R : rtl::PropertyEditorRegistrations()) {
    const auto Editor = R.EditorClass.Create();
    Out << "editor " << (R.ComponentClass != nullptr ? R.ComponentClass->Name : "*") << ' '
        << (R.PropertyName.empty() ? "*" : R.PropertyName) << ' ' << R.PropertyType << ' '
        << R.EditorClass.Name << ' ' << static_cast<int>(Editor->GetAttributes()) << '\n';
  }
  return 0;
}

int WriteResource(const std::string& Package, const std::string& Type, const std::string& Name,
                  std::ostream& Out, std::ostream& Err) {
  const std::string ResourceType = ResourceTypeOf(Type);
  if (ResourceType.empty()) {
    Err << "quindle-designer: unknown resource type '" << Type
        << "' (bitmap, icon-group, rcdata, version)\n";
    return 2;
  }
  TPackageHost Host;
  try {
    const TLoadedPackage& P = Host.Load(Package);
    const rtl::TResourceEntry* E = rtl::FindResource(P.Instance, ResourceType, Name);
    if (E == nullptr) {
      Err << "quindle-designer: " << Package << " has no " << Type << " resource " << Name << '\n';
      return 1;
    }
    Out.write(reinterpret_cast<const char*>(E->Data), static_cast<std::streamsize>(E->Size));
    Out.flush();
    return Out ? 0 : 1;
  } catch (const std::exception& E) {
    Err << "quindle-designer: " << E.what() << '\n';
    return 1;
  }
}

}  // namespace designer
