// SPDX-License-Identifier: MIT
// Modules and their resources. Every module (the executable, or a shared
// module) carries a table of named resources, embedded from files of the
// source tree by quindle_add_resources (cmake/QuindleResources.cmake). A
// module is known by its instance handle, the address it is loaded at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/core/classes.h"
#include "rtl/ui/export.h"

namespace rtl {

// The load address of a module; nullptr is no module.
using HINSTANCE = const void*;

// The module that holds Address (code or data), or nullptr when no loaded
// module does.
QUINDLE_RTL_UI_EXPORT HINSTANCE FindHInstance(const void* Address);
// The name the program was started by, without its directory.
QUINDLE_RTL_UI_EXPORT std::string ProgramName();

// The instance of the module this call is compiled into. Each translation
// unit has its own copy, so a static library's code asks for the module it
// was linked into.
[[maybe_unused]] static inline HINSTANCE HInstance() {
  return FindHInstance(reinterpret_cast<const void*>(&HInstance));
}

// Resource types. Names and types compare without regard to ASCII case.
inline constexpr const char* RT_RCDATA = "RCDATA";
inline constexpr const char* RT_BITMAP = "BITMAP";
inline constexpr const char* RT_GROUP_ICON = "GROUP_ICON";

// One resource as the generated table lists it. An icon group's data is an
// icon file (.ico).
struct TResourceEntry {
  const char* Type;
  const char* Name;
  const unsigned char* Data;
  size_t Size;
};

// Registers a module's table for as long as the object lives. The module is
// the one that holds the table, so a generated table registers itself with
// a static object of this type, and a shared module that is unloaded takes
// its table with it.
class QUINDLE_RTL_UI_EXPORT TResourceRegistration {
 public:
  TResourceRegistration(const TResourceEntry* Entries, size_t Count);
  ~TResourceRegistration();
  TResourceRegistration(const TResourceRegistration&) = delete;
  TResourceRegistration& operator=(const TResourceRegistration&) = delete;

 private:
  const TResourceEntry* FEntries;
};

// The resource of that type and name in that module's own tables, or nullptr.
QUINDLE_RTL_UI_EXPORT const TResourceEntry* FindResource(HINSTANCE Instance, std::string_view Type,
                                                         std::string_view Name);
// The names of a module's resources of one type, in the order embedded.
QUINDLE_RTL_UI_EXPORT std::vector<std::string> EnumResourceNames(HINSTANCE Instance,
                                                                 std::string_view Type);

class QUINDLE_RTL_UI_EXPORT EResNotFound : public Exception {
  using Exception::Exception;
};

// The bytes of a resource; raises EResNotFound ("Resource <name> not found").
QUINDLE_RTL_UI_EXPORT std::string_view LoadResource(HINSTANCE Instance, std::string_view Type,
                                                    std::string_view Name);

}  // namespace rtl

// Keeps a static library's embedded resources in every program that links
// the code saying this (at namespace scope, once per library is enough).
#define QUINDLE_USE_RESOURCES(anchor)                                      \
  extern "C" const char quindle_resources_##anchor;                        \
  [[gnu::used]] static const char* const quindle_resources_keep_##anchor = \
      &quindle_resources_##anchor
