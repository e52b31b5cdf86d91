// SPDX-License-Identifier: MIT
// Reading text form files into components.
//
// A layout text such as
//
//   object OverwriteDialog: TOverwriteDialog
//     BorderStyle = bsDialog
//     Font.Style = [fsBold]
//     object YesButton: TButton
//       Caption = 'Yes'
//       OnClick = YesButtonClick
//     end
//   end
//
// is read into an existing root: the root's own properties are set, each
// nested `object` is created through the class registry (rtl/typinfo.h) with
// the root as owner and the enclosing object as parent component, named,
// given its properties, and bound to the root's published field of the same
// name; `OnClick = Name` binds the root's published method Name. Nested
// `inherited` and `inline` objects name components the root already owns.
#pragma once

#include <string>
#include <string_view>

#include "rtl/core/classes.h"
#include "rtl/core/export.h"
#include "rtl/core/form_parser.h"

namespace rtl {

// Reads Text into Root. The top object's class must be Root's class or one of
// its ancestors; its name, when given, becomes Root's name. Raises
// EParserError, whose Line() and message name the line, for malformed text
// and for an unknown class, property, value, component or method; SourceName
// (a file name, say) prefixes the message when given.
//
// On failure every component the read created is freed, and the fields it
// bound are cleared. Root keeps the property values assigned before the
// failing line; components it owned before the read are never freed.
QUINDLE_RTL_CORE_EXPORT void ReadComponentText(TComponent& Root, std::string_view Text,
                                               const std::string& SourceName = std::string());

// The same, from a parsed tree (see ParseFormText).
QUINDLE_RTL_CORE_EXPORT void ReadComponentTree(TComponent& Root, const TFormObject& Tree,
                                               const std::string& SourceName = std::string());

}  // namespace rtl
