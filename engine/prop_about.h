// SPDX-License-Identifier: MIT
// The property editor of TQuindle's About property: the object inspector of
// a design host shows the property as "(TQDAboutBox)" with an ellipsis that
// opens the About box. The property holds no value and cannot be typed.
#pragma once

#include "engine/export.h"
#include "rtl/ui/designintf.h"

namespace quindle {

class QUINDLE_ENGINE_EXPORT TQDPropAbout : public rtl::TClassProperty {
 public:
  std::string ClassName() const override { return "TQDPropAbout"; }
  // Opens the About box.
  void Edit() override;
  // {paDialog, paMultiSelect, paReadOnly}, 76: an ellipsis, shown for
  // several selected components, nothing to type, and no sub-properties.
  rtl::TPropertyAttributes GetAttributes() override;
  // A new About box, owned by the application object, shown modally and
  // freed when it closes, also when showing it fails.
  void ShowAbout();
};

}  // namespace quindle
