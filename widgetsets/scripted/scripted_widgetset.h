// SPDX-License-Identifier: MIT
// A widgetset that answers from a script instead of a user: tests queue the
// answers a user would give, and programs that decide for themselves queue
// their own. It records every form and message box shown, with the captions
// it had when it was shown.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rtl/ui/widgetset.h"
#include "widgetsets/scripted/export.h"

namespace rtl {

struct TScriptedAnswer {
  enum class TKind { Press, Enter, Escape, CloseBox };
  TKind Kind = TKind::Enter;
  // Press: the button's name or its caption, ignoring '&' and ASCII case.
  std::string Button;

  static TScriptedAnswer Press(std::string Button) { return {TKind::Press, std::move(Button)}; }
  static TScriptedAnswer Enter() { return {TKind::Enter, {}}; }
  static TScriptedAnswer Escape() { return {TKind::Escape, {}}; }
  static TScriptedAnswer CloseBox() { return {TKind::CloseBox, {}}; }
};

// One form or message box as it was shown.
struct TShownBox {
  bool IsMessageBox = false;
  std::string ClassName;  // the form's class ("TForm" for a message box)
  std::string Name;       // the form's name
  std::string Title;
  std::vector<std::string> Labels;   // label captions, top to bottom, then left to right
  std::vector<std::string> Buttons;  // button captions as shown (without '&'), the same way
  std::map<std::string, std::string> Captions;  // every named control's caption
  std::string Focused;                          // the name of the control with the focus
  // Message boxes only.
  std::string Text;
  TMsgDlgType DlgType = mtInformation;
  TMsgDlgButtons DlgButtons;
  int HelpCtx = 0;
  // The modal result it was closed with; mrNone while it is showing.
  TModalResult Result = mrNone;
};

// A form or box was shown and no answer was queued for it.
class QUINDLE_WIDGETSET_SCRIPTED_EXPORT EScriptExhausted : public Exception {
  using Exception::Exception;
};
// An answer that the form cannot take (no such button, no close box).
class QUINDLE_WIDGETSET_SCRIPTED_EXPORT EScriptError : public Exception {
  using Exception::Exception;
};

class QUINDLE_WIDGETSET_SCRIPTED_EXPORT TScriptedWidgetSet : public TWidgetSet {
 public:
  TScriptedWidgetSet& Queue(TScriptedAnswer Answer);
  TScriptedWidgetSet& Queue(std::initializer_list<TScriptedAnswer> Answers);
  // Given for every form or box that finds the queue empty, instead of
  // raising EScriptExhausted. An answer that leaves such a form open raises
  // EScriptError.
  void SetDefaultAnswer(std::optional<TScriptedAnswer> Answer) { FDefault = std::move(Answer); }
  size_t Pending() const { return FAnswers.size(); }
  const std::vector<TShownBox>& Shown() const { return FShown; }
  void ClearShown() { FShown.clear(); }

  void RunModal(TCustomForm& Form) override;
  int MessageBox(const TMessageBoxParams& Box) override;

 private:
  void Apply(TCustomForm& Form, const TScriptedAnswer& Answer);
  TShownBox Record(const TCustomForm& Form) const;

  std::deque<TScriptedAnswer> FAnswers;
  std::optional<TScriptedAnswer> FDefault;
  std::vector<TShownBox> FShown;
  const TMessageBoxParams* FBox = nullptr;  // the message box being shown
};

}  // namespace rtl
