// SPDX-License-Identifier: MIT
// The modal dialog that asks whether an existing target file is to be
// replaced by the incoming source file. The dialog knows nothing of the
// copy engine: its caller fills the name, size and date labels, shows it
// with ShowModal and reads Answer.
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/export.h"
#include "rtl/ui/forms.h"

namespace quindle {

enum TOverwriteType : uint8_t { owYes, owNo, owCancel };

// Run-time type information of TOverwriteType.
inline constexpr const char* TOverwriteTypeName = "TOverwriteType";
// "owYes", "owNo" or "owCancel"; an empty text for a value out of range.
QUINDLE_DIALOGS_EXPORT std::string GetOverwriteTypeName(TOverwriteType Value);

class QUINDLE_DIALOGS_EXPORT TOverwriteDialog : public rtl::TForm {
 public:
  // Reads the layout resource TOVERWRITEDIALOG of the module that holds this
  // class. Raises rtl::EResNotFound when it is missing and rtl::EParserError
  // when it does not describe every control below.
  explicit TOverwriteDialog(rtl::TComponent* AOwner);
  std::string ClassName() const override { return "TOverwriteDialog"; }
  static const rtl::TClassInfo* StaticClassInfo();
  const rtl::TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // The controls, bound by name from the layout.
  rtl::TImage* MainImage1 = nullptr;
  rtl::TLabel* MainText1 = nullptr;
  rtl::TLabel* SrcFNLabel1 = nullptr;
  rtl::TLabel* MainText2 = nullptr;
  rtl::TLabel* TgtFileSizeLabel = nullptr;
  rtl::TLabel* TgtModifiedLabel = nullptr;
  rtl::TLabel* MainText3 = nullptr;
  rtl::TLabel* SrcFileSizeLabel = nullptr;
  rtl::TLabel* SrcModifiedLabel = nullptr;
  rtl::TLabel* SrcFNLabel2 = nullptr;
  rtl::TLabel* TgtFNLabel1 = nullptr;
  rtl::TImage* TgtImage1 = nullptr;
  rtl::TImage* SrcImage1 = nullptr;
  rtl::TButton* YesButton = nullptr;
  rtl::TButton* No1Button = nullptr;
  rtl::TButton* CancelButton = nullptr;

  // OnShow: sets Answer to owNo and paints the three images from the icon
  // resources ZZZZZZ_ICO and ZZZZZY_ICO of this module, on the form's colour.
  // A missing or broken icon raises (rtl::EResNotFound, rtl::EInvalidGraphic)
  // out of ShowModal.
  void FormShow(rtl::TObject* Sender);
  void YesButtonClick(rtl::TObject* Sender);
  void NoButtonClick(rtl::TObject* Sender);
  void CancelButtonClick(rtl::TObject* Sender);

  // The user's answer: owNo from the moment the dialog is shown until a
  // button is pressed; closing the window leaves it owNo.
  TOverwriteType Answer = owNo;
};

}  // namespace quindle
