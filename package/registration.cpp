// SPDX-License-Identifier: MIT
// The registration unit: what the package gives the design host.
#include "dialogs/about_box.h"
#include "engine/form_file.h"
#include "engine/prop_about.h"
#include "package/package.h"
#include "rtl/ui/designintf.h"

void Register() {
  // The palette shows the class with the module's bitmap named after it in
  // upper case, TQUINDLE.
  rtl::RegisterComponents("Vantrel", {quindle::QuindleClassInfo()});
  rtl::RegisterPropertyEditor(quindle::TQDAboutBox::StaticClassInfo(), quindle::QuindleClassInfo(),
                              "About", rtl::EditorClassOf<quindle::TQDPropAbout>());
}
