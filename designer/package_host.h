// SPDX-License-Identifier: MIT
// The design host's handling of packages, apart from any window: loading a
// package module, checking its package information, initializing and
// registering it, and unloading it again without leaving anything of it
// behind in the platform layer's registries.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "rtl/core/packages.h"
#include "rtl/ui/resources.h"

namespace designer {

struct TLoadedPackage {
  std::string FileName;
  rtl::HINSTANCE Instance = nullptr;
  rtl::TPackageInfo Info;
  // The package's entry points.
  void (*Finalize)() = nullptr;
  const rtl::TPackageInfoTable* (*GetPackageInfoTable)() = nullptr;
};

// The packages a host provides itself besides the run-time package that the
// platform layer stands for.
const std::vector<std::string>& HostPackages();

class TPackageHost {
 public:
  TPackageHost() = default;
  ~TPackageHost();  // unloads every package, the last loaded first
  TPackageHost(const TPackageHost&) = delete;
  TPackageHost& operator=(const TPackageHost&) = delete;

  // Loads the package module FileName, checks that it is a design-time
  // package whose required packages are all here, calls its Initialize
  // and Register. Raises rtl::EPackageError, naming the file, when it cannot
  // be loaded, is no design-time package, requires a package that is not
  // here, or lacks an entry point; nothing of it stays loaded then.
  const TLoadedPackage& Load(const std::string& FileName);
  // Drops what the package registered, calls its Finalize and unloads it.
  void Unload(rtl::HINSTANCE Instance);
  const std::vector<TLoadedPackage>& Packages() const { return FPackages; }

 private:
  std::vector<TLoadedPackage> FPackages;
};

// The resource type a command line names: "bitmap", "icon-group", "rcdata"
// or "version"; empty for another word.
std::string ResourceTypeOf(const std::string& Word);

}  // namespace designer
