// SPDX-License-Identifier: MIT
// Arbitrary text read into each dialog over the layout it was built from. A
// refused text leaves the dialog's own controls as they were; an accepted one
// still gives a dialog that can be shown.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/about_box.h"
#include "dialogs/overwrite_dialog.h"
#include "fuzz_check.h"
#include "rtl/core/form_reader.h"
#include "widgetsets/console/console_widgetset.h"

namespace {

using TMakeDialog = std::unique_ptr<rtl::TForm> (*)();

// Every dialog of the library; the first byte of the input picks one.
const TMakeDialog Dialogs[] = {
    [] { return std::unique_ptr<rtl::TForm>(new quindle::TOverwriteDialog(nullptr)); },
    [] { return std::unique_ptr<rtl::TForm>(new quindle::TQDAboutBox(nullptr)); },
};

std::vector<rtl::TComponent*> Owned(const rtl::TComponent& Form) {
  std::vector<rtl::TComponent*> List;
  for (int I = 0; I < Form.ComponentCount(); ++I) List.push_back(Form.Components(I));
  return List;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const std::unique_ptr<rtl::TForm> Dialog = Dialogs[Data[0] % std::size(Dialogs)]();
  const std::string Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const std::vector<rtl::TComponent*> Before = Owned(*Dialog);
  try {
    rtl::ReadComponentText(*Dialog, Text, "layout");
  } catch (const rtl::EParserError&) {
    FUZZ_CHECK(Owned(*Dialog) == Before);
    return 0;
  }
  std::istringstream In;
  std::ostringstream Out;
  rtl::TConsoleWidgetSet Console(In, Out, rtl::TConsoleOptions{false, ""});
  try {
    Dialog->ShowModal(Console);
  } catch (const rtl::Exception&) {
    // A layout may name an icon the dialog cannot paint; that is reported.
  }
  return 0;
}
