// SPDX-License-Identifier: MIT
// Writing components as text form files.
//
// The text is what ReadComponentText (rtl/form_reader.h) reads back:
//
//   object Name: TClass
//     Property = Value          (stored properties, in published order)
//     Font.Style = [fsBold]     (a sub-object's stored properties, dotted)
//     Lines.Strings = (         (a string list, one line per item)
//       'first'
//       'second')
//     object Child: TChildClass (nested children, the same way)
//     end
//   end
//
// Indentation is two spaces per level and lines end with LF. Strings are
// quoted with '' for a quote; characters below 32 are written as #nn, and all
// other bytes (UTF-8 included) are written as they are, so reading the text
// back gives the same bytes.
#pragma once

#include <string>

#include "rtl/core/classes.h"
#include "rtl/core/export.h"
#include "rtl/core/form_parser.h"

namespace rtl {

// The tree of Root: its stored properties (rtl/typinfo.h IsStoredProp) and
// then, through GetChildren, its children with theirs. A sub-object's
// properties are written under their own defaults with a dotted name; a
// string list is written as `Name.Strings` and left out when empty. Raises
// EWriteError for a value that has no text form (an infinite float).
QUINDLE_RTL_CORE_EXPORT TFormObject ComponentToTree(const TComponent& Root);

// The text of a tree. Raises EWriteError for a value that cannot be written.
QUINDLE_RTL_CORE_EXPORT std::string FormTreeToText(const TFormObject& Tree);

// FormTreeToText(ComponentToTree(Root)).
QUINDLE_RTL_CORE_EXPORT std::string WriteComponentText(const TComponent& Root);

}  // namespace rtl
