// SPDX-License-Identifier: MIT
// The About box: the product's name, version, copyright line and a line on
// what it is, with the component's emblem. It takes no part in a copy run;
// whoever shows it creates it, calls ShowModal and frees it.
#pragma once

#include <string>

#include "dialogs/export.h"
#include "rtl/ui/forms.h"

namespace quindle {

class QUINDLE_DIALOGS_EXPORT TQDAboutBox : public rtl::TForm {
 public:
  // Reads the layout resource TQDABOUTBOX of the module that holds this
  // class. Raises rtl::EResNotFound when it is missing and rtl::EParserError
  // when it does not describe every control below.
  explicit TQDAboutBox(rtl::TComponent* AOwner);
  std::string ClassName() const override { return "TQDAboutBox"; }
  static const rtl::TClassInfo* StaticClassInfo();
  const rtl::TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // The controls, bound by name from the layout.
  rtl::TPanel* Panel1 = nullptr;
  rtl::TImage* ProgramIcon = nullptr;
  rtl::TPanel* Panel5 = nullptr;
  rtl::TPanel* Panel6 = nullptr;
  rtl::TBitBtn* BitBtn1 = nullptr;
  rtl::TLabel* ProductName = nullptr;
  rtl::TLabel* Version = nullptr;
  rtl::TLabel* VersionNumber = nullptr;
  rtl::TLabel* Copyright = nullptr;
  rtl::TLabel* Comments = nullptr;

  // BitBtn1's OnClick: closes the box, which ends its modal loop.
  void Button1Click(rtl::TObject* Sender);
};

}  // namespace quindle
