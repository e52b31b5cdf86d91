// SPDX-License-Identifier: MIT
// What quindle-designer does without a window: --dump and --resource.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace designer {

// Loads the packages as the designer does and prints, one item a line: for
// each package its module record and its package information, then every
// palette page with its components and every registered property editor.
// Returns the exit status: 0, or 1 (with the reason on Err) when a package
// cannot be loaded.
int DumpPackages(const std::vector<std::string>& Packages, std::ostream& Out, std::ostream& Err);

// Writes the raw bytes of one resource of the package module to Out. TYPE
// is bitmap, icon-group, rcdata or version. Returns 0, 1 when the module
// has no such resource or cannot be loaded, 2 for an unknown TYPE.
int WriteResource(const std::string& Package, const std::string& Type, const std::string& Name,
                  std::ostream& Out, std::ostream& Err);

}  // namespace designer
