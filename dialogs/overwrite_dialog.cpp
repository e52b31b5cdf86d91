// SPDX-License-Identifier: MIT
#include "dialogs/overwrite_dialog.h"

#include <memory>
#include <utility>

#include "rtl/core/form_parser.h"
#include "rtl/core/typinfo.h"

QUINDLE_USE_RESOURCES(quindle_dialogs);

namespace quindle {

std::string GetOverwriteTypeName(TOverwriteType Value) {
  switch (Value) {
    case owYes:
      return "owYes";
    case owNo:
      return "owNo";
    case owCancel:
      return "owCancel";
  }
  return std::string();
}

const rtl::TClassInfo* TOverwriteDialog::StaticClassInfo() {
  using D = TOverwriteDialog;
  static const rtl::TClassInfo Info =
      rtl::TClassBuilder<D>("TOverwriteDialog", rtl::TForm::StaticClassInfo())
          .Field("MainImage1", &D::MainImage1)
          .Field("MainText1", &D::MainText1)
          .Field("SrcFNLabel1", &D::SrcFNLabel1)
          .Field("MainText2", &D::MainText2)
          .Field("TgtFileSizeLabel", &D::TgtFileSizeLabel)
          .Field("TgtModifiedLabel", &D::TgtModifiedLabel)
          .Field("MainText3", &D::MainText3)
          .Field("SrcFileSizeLabel", &D::SrcFileSizeLabel)
          .Field("SrcModifiedLabel", &D::SrcModifiedLabel)
          .Field("SrcFNLabel2", &D::SrcFNLabel2)
          .Field("TgtFNLabel1", &D::TgtFNLabel1)
          .Field("TgtImage1", &D::TgtImage1)
          .Field("SrcImage1", &D::SrcImage1)
          .Field("YesButton", &D::YesButton)
          .Field("No1Button", &D::No1Button)
          .Field("CancelButton", &D::CancelButton)
          .Method("FormShow", &D::FormShow)
          .Method("YesButtonClick", &D::YesButtonClick)
          .Method("NoButtonClick", &D::NoButtonClick)
          .Method("CancelButtonClick", &D::CancelButtonClick)
          .Build();
  return &Info;
}

TOverwriteDialog::TOverwriteDialog(rtl::TComponent* AOwner) : rtl::TForm(AOwner) {
  ReadLayout(rtl::HInstance());
  // The handlers rely on every control; a layout that leaves one out is
  // refused here rather than failing when the dialog is shown.
  const rtl::TControl* Controls[] = {
      MainImage1,       MainText1,        SrcFNLabel1, MainText2,
      TgtFileSizeLabel, TgtModifiedLabel, MainText3,   SrcFileSizeLabel,
      SrcModifiedLabel, SrcFNLabel2,      TgtFNLabel1, TgtImage1,
      SrcImage1,        YesButton,        No1Button,   CancelButton};
  for (const rtl::TControl* C : Controls)
    if (C == nullptr)
      throw rtl::EParserError("TOVERWRITEDIALOG: the layout lacks a control of the dialog", 0, 0);
}

void TOverwriteDialog::FormShow(rtl::TObject*) {
  Answer = owNo;
  // Declared icon first, so the bitmap is freed first.
  auto Icon = std::make_unique<rtl::TIcon>();
  auto Bitmap = std::make_unique<rtl::TBitmap>();
  const std::pair<const char*, rtl::TImage*> Pictures[] = {
      {"ZZZZZZ_ICO", MainImage1}, {"ZZZZZY_ICO", SrcImage1}, {"ZZZZZY_ICO", TgtImage1}};
  for (const auto& [Name, Image] : Pictures) {
    // From this module's own instance, never from a separate language module.
    rtl::HICON Handle = rtl::LoadIconA(rtl::HInstance(), Name);
    if (!Handle) throw rtl::EResNotFound(std::string("Resource ") + Name + " not found");
    Icon->SetHandle(std::move(Handle));
    Bitmap->SetHeight(Icon->Height());
    Bitmap->SetWidth(Icon->Width());
    rtl::TCanvas& Canvas = Bitmap->Canvas();
    Canvas.Brush.Color = Color();
    Canvas.FillRect(Canvas.ClipRect());
    Canvas.Draw(0, 0, *Icon);
    Image->Canvas().Draw(0, 0, *Bitmap);
  }
}

void TOverwriteDialog::YesButtonClick(rtl::TObject*) {
  Answer = owYes;
}
void TOverwriteDialog::NoButtonClick(rtl::TObject*) {
  Answer = owNo;
}
void TOverwriteDialog::CancelButtonClick(rtl::TObject*) {
  Answer = owCancel;
}

}  // namespace quindle
