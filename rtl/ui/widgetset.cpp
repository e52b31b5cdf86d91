// SPDX-License-Identifier: MIT
#include "rtl/ui/widgetset.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <iostream>

#include "rtl/ui/forms.h"

namespace rtl {

namespace {

std::atomic<TWidgetSet*> Current{nullptr};

}  // namespace

TWidgetSet::~TWidgetSet() = default;

void THeadlessWidgetSet::RunModal(TCustomForm& Form) {
  Form.Close();
}

int THeadlessWidgetSet::MessageBox(const TMessageBoxParams& Box) {
  std::cerr << Box.Text << '\n' << std::flush;
  return mrCancel;
}

TWidgetSet& WidgetSet() {
  static THeadlessWidgetSet Default;
  TWidgetSet* W = Current.load();
  return W != nullptr ? *W : Default;
}

TWidgetSet* SetWidgetSet(TWidgetSet* Value) {
  return Current.exchange(Value);
}

std::vector<TControl*> ReadingOrder(const TCustomForm& Form) {
  std::vector<TControl*> List;
  for (TControl* C : Form.AllControls()) {
    bool Shown = true;
    for (const TControl* P = C; P != nullptr && P != &Form; P = P->Parent())
      Shown = Shown && P->Visible();
    if (Shown) List.push_back(C);
  }
  std::stable_sort(List.begin(), List.end(), [](const TControl* A, const TControl* B) {
    const TPoint PA = A->FormOrigin(), PB = B->FormOrigin();
    return PA.Y != PB.Y ? PA.Y < PB.Y : PA.X < PB.X;
  });
  return List;
}

std::string StripAccelerator(const std::string& Caption) {
  std::string S;
  for (size_t I = 0; I < Caption.size(); ++I) {
    if (Caption[I] == '&' && I + 1 < Caption.size())
      ++I;
    else if (Caption[I] == '&')
      continue;
    S += Caption[I];
  }
  return S;
}

char AcceleratorOf(const std::string& Caption) {
  for (size_t I = 0; I + 1 < Caption.size(); ++I) {
    if (Caption[I] != '&') continue;
    if (Caption[I + 1] != '&')
      return static_cast<char>(std::tolower(static_cast<unsigned char>(Caption[I + 1])));
    ++I;
  }
  return 0;
}

std::vector<char> ButtonKeys(const std::vector<TButton*>& Buttons) {
  auto IsKeyChar = [](char C) { return std::isalnum(static_cast<unsigned char>(C)) != 0; };
  std::vector<char> Keys;
  std::string Taken;
  for (const TButton* B : Buttons) {
    char Key = AcceleratorOf(B->Caption());
    if (Key != 0 && (!IsKeyChar(Key) || Taken.find(Key) != std::string::npos)) Key = 0;
    const std::string Caption = StripAccelerator(B->Caption());
    for (size_t I = 0; Key == 0 && I < Caption.size(); ++I) {
      const char K = static_cast<char>(std::tolower(static_cast<unsigned char>(Caption[I])));
      if (IsKeyChar(K) && Taken.find(K) == std::string::npos) Key = K;
    }
    if (Key != 0) Taken += Key;
    Keys.push_back(Key);
  }
  return Keys;
}

std::string CaptionWithAccelerator(const std::string& Caption, char Key) {
  const std::string Shown = StripAccelerator(Caption);
  std::string S;
  bool Marked = Key == 0;
  for (char C : Shown) {
    if (!Marked && std::tolower(static_cast<unsigned char>(C)) == Key) {
      S += '&';
      Marked = true;
    } else if (C == '&') {
      S += '&';
    }
    S += C;
  }
  return S;
}

}  // namespace rtl
