// SPDX-License-Identifier: MIT
#include "dialogs/about_box.h"

#include "rtl/core/form_parser.h"
#include "rtl/core/typinfo.h"

QUINDLE_USE_RESOURCES(quindle_dialogs);

namespace quindle {

const rtl::TClassInfo* TQDAboutBox::StaticClassInfo() {
  using D = TQDAboutBox;
  static const rtl::TClassInfo Info =
      rtl::TClassBuilder<D>("TQDAboutBox", rtl::TForm::StaticClassInfo())
          .Field("Panel1", &D::Panel1)
          .Field("ProgramIcon", &D::ProgramIcon)
          .Field("Panel5", &D::Panel5)
          .Field("Panel6", &D::Panel6)
          .Field("BitBtn1", &D::BitBtn1)
          .Field("ProductName", &D::ProductName)
          .Field("Version", &D::Version)
          .Field("VersionNumber", &D::VersionNumber)
          .Field("Copyright", &D::Copyright)
          .Field("Comments", &D::Comments)
          .Method("Button1Click", &D::Button1Click)
          .Build();
  return &Info;
}

TQDAboutBox::TQDAboutBox(rtl::TComponent* AOwner) : rtl::TForm(AOwner) {
  ReadLayout(rtl::HInstance());
  const rtl::TControl* Controls[] = {Panel1,      ProgramIcon, Panel5,        Panel6,    BitBtn1,
                                     ProductName, Version,     VersionNumber, Copyright, Comments};
  for (const rtl::TControl* C : Controls)
    if (C == nullptr)
      throw rtl::EParserError("TQDABOUTBOX: the layout lacks a control of the About box", 0, 0);
}

void TQDAboutBox::Button1Click(rtl::TObject*) {
  Close();
}

}  // namespace quindle
