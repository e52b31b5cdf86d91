// SPDX-License-Identifier: MIT
// The command's windows in a module of their own, loaded on first use: from
// the program's own folder (a build tree), else from the module folder of
// the installed tree the program belongs to.
#include <iostream>
#include <string>

#include "cli/gui_module.h"
#include "rtl/files/fileutils.h"
#include "rtl/ui/modules.h"
#include "rtl/ui/resources.h"

namespace quindle::cli {

namespace {

constexpr const char* kModuleName = "quindle-gui-qt.so";

const TGuiModule* Loaded = nullptr;
bool Tried = false;

const TGuiModule* LoadModule() {
  const std::string Folder = rtl::ExtractFilePath(rtl::GetModuleFileName(rtl::HInstance()));
  const std::string Beside = Folder + kModuleName;
  const std::string Name =
      rtl::ModuleFileExists(Beside) ? Beside : Folder + QUINDLE_GUI_MODULE_DIR + "/" + kModuleName;
  const rtl::HINSTANCE Module = rtl::LoadLibrary(Name);
  if (Module == nullptr) {
    std::cerr << "quindle: cannot load the window module (" << rtl::LoadError()
              << "); working in the terminal\n";
    return nullptr;
  }
  using TEntry = const TGuiModule* (*)();
  const auto Entry = reinterpret_cast<TEntry>(rtl::GetProcAddress(Module, "QuindleGuiModule"));
  if (Entry == nullptr) {
    std::cerr << "quindle: " << Name
              << " is not the window module of this program; working in the terminal\n";
    rtl::FreeLibrary(Module);
    return nullptr;
  }
  // Kept loaded until the program ends: Qt cannot be unloaded and loaded again.
  return Entry();
}

}  // namespace

const TGuiModule* GuiModule(bool Load) {
  if (Load && !Tried) {
    Tried = true;
    Loaded = LoadModule();
  }
  return Loaded;
}

}  // namespace quindle::cli
