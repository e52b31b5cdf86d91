// SPDX-License-Identifier: MIT
// The component's design-time package, as a design host loads it: the
// entry points a host looks up by name, and what the package's module
// registers while it is loaded.
#pragma once

#include "package/export.h"
#include "rtl/core/packages.h"

extern "C" {
// Initializes the package's units (PackageLoad over the unit table).
QUINDLE_DESIGN_EXPORT void Initialize();
// Finalizes them (PackageUnload), before the host unloads the module.
QUINDLE_DESIGN_EXPORT void Finalize();
// The unit table: 30 units in initialization order, the package's own at
// 21 (the About box), 27 (the overwrite dialog), 29 (the component) and 30
// (the registration).
QUINDLE_DESIGN_EXPORT const rtl::TPackageInfoTable* GetPackageInfoTable();
// Puts TQuindle on the palette page "Vantrel" and names TQDPropAbout the
// editor of the About property of TQuindle and its descendants.
QUINDLE_DESIGN_EXPORT void Register();
}
