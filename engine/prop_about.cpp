// SPDX-License-Identifier: MIT
#include "engine/prop_about.h"

#include <memory>

#include "dialogs/about_box.h"

namespace quindle {

void TQDPropAbout::Edit() {
  ShowAbout();
}

rtl::TPropertyAttributes TQDPropAbout::GetAttributes() {
  return rtl::PropAttrs({rtl::paDialog, rtl::paMultiSelect, rtl::paReadOnly});
}

void TQDPropAbout::ShowAbout() {
  // Freed on every way out: a box left with the application object would
  // outlive the package that holds its code.
  const std::unique_ptr<TQDAboutBox> Box = std::make_unique<TQDAboutBox>(rtl::Application());
  Box->ShowModal();
}

}  // namespace quindle
