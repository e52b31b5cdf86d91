// SPDX-License-Identifier: MIT
// The module list and the loading of modules.
//
// Every module that serves forms or resources of its own registers a module
// record for as long as it is loaded. The record says where the module's
// resources come from: the module itself, or a language resource module
// loaded beside it (LoadResourceModule), whose resources then take the place
// of the module's own for its forms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rtl/ui/export.h"
#include "rtl/ui/resources.h"

namespace rtl {

// The four words of a module record, in this order. The runtime keeps Next;
// the module fills Instance and ResInstance before RegisterModule.
struct TLibModule {
  TLibModule* Next = nullptr;
  HINSTANCE Instance = nullptr;
  HINSTANCE ResInstance = nullptr;
  const void* Reserved = nullptr;
};

// Puts the record at the head of the module list; a record already listed
// stays listed once.
QUINDLE_RTL_UI_EXPORT void RegisterModule(TLibModule* Module);
// Takes the record off the list; a record not listed is ignored.
QUINDLE_RTL_UI_EXPORT void UnregisterModule(TLibModule* Module);
// The records listed, the most recently registered first.
QUINDLE_RTL_UI_EXPORT std::vector<const TLibModule*> ModuleList();

// The resource instance of the listed module whose Instance is Instance, or
// Instance itself when no record lists it. Forms read their layouts through
// it, so a language resource module serves the forms of its module.
QUINDLE_RTL_UI_EXPORT HINSTANCE FindResourceHInstance(HINSTANCE Instance);
// FindResource (rtl/ui/resources.h) in the resource instance of Instance.
QUINDLE_RTL_UI_EXPORT const TResourceEntry* FindModuleResource(HINSTANCE Instance,
                                                               std::string_view Type,
                                                               std::string_view Name);

// The language of the user's messages as the environment gives it (LC_ALL,
// then LC_MESSAGES, then LANG), without codeset and modifier: "de_DE" for
// "de_DE.UTF-8@euro"; empty for the C and POSIX locales and when none is set.
QUINDLE_RTL_UI_EXPORT std::string UserLanguage();
// The file names tried for the language module of ModuleFileName, in order:
// the module's name followed by "." and the language with its territory,
// then by "." and the language alone ("libfoo.so.de_DE", "libfoo.so.de").
QUINDLE_RTL_UI_EXPORT std::vector<std::string> ResourceModuleNames(
    const std::string& ModuleFileName, const std::string& Language);
// Loads the first language module of ModuleFileName that exists for the
// user's language. Returns its instance, to be released with FreeLibrary, or
// nullptr when there is none; nothing is reported.
QUINDLE_RTL_UI_EXPORT HINSTANCE LoadResourceModule(const std::string& ModuleFileName);

// The platform's module loader (rtl/ui/<platform>/module.cpp).

// Loads a module (each call counts) and returns its instance, or nullptr;
// LoadError tells why the last load failed.
QUINDLE_RTL_UI_EXPORT HINSTANCE LoadLibrary(const std::string& FileName);
QUINDLE_RTL_UI_EXPORT std::string LoadError();
// Releases one load made by LoadLibrary; false for an instance it did not
// load (or already released as often as loaded).
QUINDLE_RTL_UI_EXPORT bool FreeLibrary(HINSTANCE Instance);
// The address of an exported symbol of a module LoadLibrary loaded, or nullptr.
QUINDLE_RTL_UI_EXPORT void* GetProcAddress(HINSTANCE Instance, const std::string& Name);
// The full file name of a loaded module, or empty when Instance is none.
QUINDLE_RTL_UI_EXPORT std::string GetModuleFileName(HINSTANCE Instance);
// Whether a file of that name exists (for the choice of a language module).
QUINDLE_RTL_UI_EXPORT bool ModuleFileExists(const std::string& FileName);

}  // namespace rtl
